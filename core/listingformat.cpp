#include "listingformat.h"

#include <algorithm>

QByteArray FormatByteField(std::uint8_t value)
{
    constexpr char digits[] = "0123456789ABCDEF";
    const char field[] = {digits[value >> 4], digits[value & 0x0F], 'H'};
    return QByteArray(field, 3);
}

QByteArray FormatLine(std::span<const std::uint8_t> bytes)
{
    QByteArray line(Listing::Prefix);
    const std::size_t count = std::min<std::size_t>(bytes.size(), Listing::BytesPerLine);
    for (std::size_t i = 0; i < count; ++i) {
        line += FormatByteField(bytes[i]);
        line += i + 1 < count ? ',' : ';';
    }
    return line;
}

void AppendLine(QByteArray &out, std::span<const std::uint8_t> bytes)
{
    out += FormatLine(bytes);
    out += "\r\n";
}

QByteArray FormatListing(QByteArrayView bytes)
{
    QByteArray listing;
    listing.reserve((bytes.size() + Listing::BytesPerLine - 1) / Listing::BytesPerLine
                    * Listing::LineBytes);
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    for (qsizetype at = 0; at < bytes.size(); at += Listing::BytesPerLine) {
        const qsizetype count = std::min<qsizetype>(Listing::BytesPerLine, bytes.size() - at);
        AppendLine(listing, std::span<const std::uint8_t>(data + at, std::size_t(count)));
    }
    return listing;
}
