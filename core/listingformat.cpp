#include "listingformat.h"

#include <algorithm>

QByteArray FormatListing(QByteArrayView bytes, ListingForm form)
{
    QByteArray listing;
    listing.reserve((bytes.size() + Listing::BytesPerLine - 1) / Listing::BytesPerLine * Listing::LineBytes);
    for (qsizetype at = 0; at < bytes.size(); at += Listing::BytesPerLine) {
        const qsizetype count = std::min<qsizetype>(Listing::BytesPerLine, bytes.size() - at);
        listing += Listing::Prefix;
        for (qsizetype i = 0; i < count; ++i) {
            const auto byte = std::uint8_t(bytes[at + i]);
            if (form == ListingForm::LeadingZero && byte >= 0xA0)
                listing += '0';
            listing += HexDigits[byte >> 4];
            listing += HexDigits[byte & 0x0F];
            listing += 'H';
            listing += i + 1 < count ? ',' : ';';
        }
        listing += "\r\n";
    }
    return listing;
}
