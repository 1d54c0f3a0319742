#pragma once

// Which characters a font is read for: --chars lists, the distinct
// characters of a text, strict UTF-8, and a character's name in messages
// and comments.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The code points of strict UTF-8 text (no overlong forms, no surrogates; a
// leading byte order mark skipped), or none when it is not UTF-8.
std::optional<std::vector<char32_t>> DecodeUtf8(QByteArrayView text);

struct CharList
{
    std::vector<char32_t> codes; // distinct, ascending
    QByteArray wrongItem;        // the first item that is none of the forms; empty when all are
    bool ok() const { return wrongItem.isEmpty(); }
};

// A comma-separated list, UTF-8: each item a code point (65, 0x41, U+0041),
// a range of two code points or two single characters joined by "-"
// (0xA0-0xFF, ä-ü; the end not before the start), or literal characters,
// each taken. An item led by a digit or U+ that is neither of the first two
// forms is wrong, as are an empty item, a code past U+10FFFF or a surrogate.
// Surrogates inside a range are left out.
CharList ParseCharList(QByteArrayView list);

// Every distinct character of UTF-8 text but the control characters (line
// ends, tabs), ascending; none when the text is not UTF-8.
std::optional<std::vector<char32_t>> CharsOfText(QByteArrayView text);

// Whether code is a control character (U+0000-U+001F, U+007F-U+009F).
bool IsControl(char32_t code);

// "U+0041 'A'"; a control character's code alone, "U+000A".
QByteArray CharName(char32_t code);
