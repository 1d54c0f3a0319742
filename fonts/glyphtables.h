#pragma once

// The glyph tables a firmware draws text from: Dotpress's C table, every
// glyph's dots packed in a byte layout, and the GFXfont form Arduino
// projects take. Both check that every value fits its field.

#include "bytelayout.h"
#include "fontglyphs.h"
#include "outputformats.h"

#include <QByteArray>
#include <QString>

struct GlyphTable
{
    QByteArray text;
    QByteArray error; // the glyph and the field that does not fit; empty when ok
    bool ok() const { return error.isEmpty(); }
};

// The C header: the dotpress_glyph and dotpress_font types (once for any
// number of fonts), identifier_dots with each glyph's width x height dots
// packed in layout from its offset, identifier_glyphs sorted by code, each
// line with a comment naming its character, and the font identifier. about
// is the first comment's sentence on the font. With Progmem, the preamble
// pictures' headers take follows the types, and all three are PROGMEM.
GlyphTable FormatFontTable(const FontGlyphs &font, const QString &identifier, ByteLayout layout,
                           const QByteArray &about, CStorage storage = CStorage::Plain);

// The GFXfont form: identifierBitmaps with each glyph's rows top to bottom,
// the top dot of a byte in bit 7, rows running on without padding and each
// glyph from a new byte; one GFXglyph for every code from first to last (an
// all-zero one for a code the font lacks); and the GFXfont identifier.
// Offsets, first and last take 16 bits, sizes and advances 8 bits unsigned,
// xOffset and yOffset (-top) 8 bits signed.
GlyphTable FormatGfxFont(const FontGlyphs &font, const QString &identifier, char32_t first, char32_t last);
