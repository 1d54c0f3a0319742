#include "listingformat.h"

#include <array>
#include <cstring>

namespace {

// The text of one byte field with the comma that follows it in a line, "0AH,"
// for 10, for every byte value: lines are built by copying fields instead of
// forming each digit again.
using FieldText = std::array<char, 4>;

constexpr std::array<FieldText, 256> makeFieldTexts()
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<FieldText, 256> texts{};
    for (std::size_t value = 0; value < texts.size(); ++value)
        texts[value] = FieldText{digits[value >> 4], digits[value & 0x0F], 'H', ','};
    return texts;
}

constexpr std::array<FieldText, 256> FieldTexts = makeFieldTexts();

// Writes the prefix and the fields of bytes (one to eight) to text, the last
// field closed by ";"; returns the end of the line.
char *writeLine(char *text, std::span<const std::uint8_t> bytes)
{
    std::memcpy(text, Listing::Prefix, Listing::PrefixLength);
    char *end = text + Listing::PrefixLength;
    for (const std::uint8_t byte : bytes) {
        std::memcpy(end, FieldTexts[byte].data(), sizeof(FieldText));
        end += sizeof(FieldText);
    }
    if (!bytes.empty())
        end[-1] = ';';
    return end;
}

} // namespace

QByteArray FormatByteField(std::uint8_t value)
{
    return QByteArray(FieldTexts[value].data(), 3);
}

QByteArray FormatLine(std::span<const std::uint8_t> bytes)
{
    std::array<char, Listing::LineBytes> text;
    const char *end = writeLine(text.data(), bytes.first(std::min<std::size_t>(bytes.size(), Listing::BytesPerLine)));
    return QByteArray(text.data(), qsizetype(end - text.data()));
}

void AppendLine(QByteArray &out, std::span<const std::uint8_t> bytes)
{
    // Built in place and appended whole: one append per line.
    std::array<char, Listing::LineBytes> text;
    char *end = writeLine(text.data(), bytes.first(std::min<std::size_t>(bytes.size(), Listing::BytesPerLine)));
    *end++ = '\r';
    *end++ = '\n';
    out.append(text.data(), qsizetype(end - text.data()));
}
