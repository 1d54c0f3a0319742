#include "listingformat.h"

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";

void appendField(QByteArray &out, std::uint8_t value)
{
    out.append(HexDigits[value >> 4]);
    out.append(HexDigits[value & 0x0F]);
    out.append('H');
}
} // namespace

QByteArray FormatByteField(std::uint8_t value)
{
    QByteArray field;
    appendField(field, value);
    return field;
}

QByteArray FormatLine(std::span<const std::uint8_t> bytes)
{
    QByteArray line;
    line.reserve(Listing::LineLength);
    line.append(Listing::Prefix, Listing::PrefixLength);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        appendField(line, bytes[i]);
        line.append(i + 1 == bytes.size() ? ';' : ',');
    }
    return line;
}

void AppendLine(QByteArray &out, std::span<const std::uint8_t> bytes)
{
    out.append(Listing::Prefix, Listing::PrefixLength);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        appendField(out, bytes[i]);
        out.append(i + 1 == bytes.size() ? ';' : ',');
    }
    out.append("\r\n", 2);
}
