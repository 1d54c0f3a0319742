#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>

// The DB listing: 240 lines of eight byte fields, each "        DB " + fields
// + CR LF, for example "        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;".
namespace Listing {
inline constexpr char Prefix[] = "        DB ";
inline constexpr int PrefixLength = 11;
inline constexpr int BytesPerLine = 8;
inline constexpr int LineLength = 43;          // characters before CR LF
inline constexpr int LineBytes = LineLength + 2; // with CR LF
inline constexpr int PictureBytes = 1920;       // 240 x 64 / 8
inline constexpr int Lines = PictureBytes / BytesPerLine;
inline constexpr int FileBytes = Lines * LineBytes; // 10 800
} // namespace Listing

// Two upper-case hexadecimal digits and "H": 10 -> "0AH", 255 -> "FFH".
QByteArray FormatByteField(std::uint8_t value);

// The prefix and one to eight fields, "," after each but the last, ";" after
// the last. No line end.
QByteArray FormatLine(std::span<const std::uint8_t> bytes);

// Appends FormatLine(bytes) and CR LF to out.
void AppendLine(QByteArray &out, std::span<const std::uint8_t> bytes);

// The whole listing of bytes: eight fields to a line, each line ended by
// CR LF, the last one shorter when the bytes run out.
QByteArray FormatListing(QByteArrayView bytes);
