#include "listingformat.h"

#include <algorithm>

QByteArray FormatListing(QByteArrayView bytes, ListingForm form)
{
    constexpr char digits[] = "0123456789ABCDEF";
    QByteArray listing;
    listing.reserve((bytes.size() + Listing::BytesPerLine - 1) / Listing::BytesPerLine * Listing::LineBytes);
    for (qsizetype at = 0; at < bytes.size(); at += Listing::BytesPerLine) {
        const qsizetype count = std::min<qsizetype>(Listing::BytesPerLine, bytes.size() - at);
        listing += Listing::Prefix;
        for (qsizetype i = 0; i < count; ++i) {
            const auto byte = std::uint8_t(bytes[at + i]);
            if (form == ListingForm::LeadingZero && byte >= 0xA0)
                listing += '0';
            listing += digits[byte >> 4];
            listing += digits[byte & 0x0F];
            listing += 'H';
            listing += i + 1 < count ? ',' : ';';
        }
        listing += "\r\n";
    }
    return listing;
}
