#pragma once

// The DB listing's format: the text the listing writer makes of the bytes.

#include "bytelayout.h"

#include <QByteArray>
#include <QByteArrayView>

// The digits of every hexadecimal number the outputs spell.
inline constexpr char HexDigits[] = "0123456789ABCDEF";

// The DB listing: lines of eight byte fields, each "        DB " + fields
// + CR LF, for example "        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;"; 240
// lines for the window's module.
namespace Listing {
inline constexpr char Prefix[] = "        DB ";
inline constexpr int PrefixLength = 11;
inline constexpr int BytesPerLine = 8;
inline constexpr int LineLength = 43;          // characters before CR LF
inline constexpr int LineBytes = LineLength + 2; // with CR LF
inline constexpr qsizetype Lines = LcdByteCount / BytesPerLine; // of the window's listing
inline constexpr qsizetype FileBytes = Lines * LineBytes;
} // namespace Listing

// How a byte field is spelled. Designed: two digits always ("FFH"), the form
// the window writes and the LCD preview takes apart by position. LeadingZero:
// a "0" before a field whose first digit is a letter ("0FFH"), since
// Intel-syntax assemblers (z80asm, as31) read "FFH" as a symbol.
enum class ListingForm { Designed, LeadingZero };

// The whole listing of bytes: eight fields to a line, each two upper-case
// hexadecimal digits and "H" (10 -> "0AH", 255 -> "FFH"), "," after each but
// the last of a line and ";" after that; each line ended by CR LF, the last
// one shorter when the bytes run out.
QByteArray FormatListing(QByteArrayView bytes, ListingForm form = ListingForm::Designed);
