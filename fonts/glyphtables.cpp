#include "glyphtables.h"

#include "charlist.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace {

struct Field
{
    const char *name;
    qint64 value;
    qint64 low;
    qint64 high;
};

// The first field out of its range, named with its glyph, or empty.
QByteArray Overflow(const char *form, char32_t code, std::initializer_list<Field> fields)
{
    for (const Field &field : fields)
        if (field.value < field.low || field.value > field.high)
            return CharName(code) + ": " + field.name + ' ' + QByteArray::number(field.value) + " does not fit " + form
                   + " (" + QByteArray::number(field.low) + " to " + QByteArray::number(field.high) + ')';
    return {};
}

void AppendNumber(QByteArray &out, qint64 value)
{
    char text[24];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr - text);
}

// "0x" and the value in at least digits capital hex digits.
void AppendHex(QByteArray &out, qint64 value, int digits)
{
    char text[24];
    const qsizetype length = std::to_chars(text, text + sizeof text, value, 16).ptr - text;
    out += "0x";
    out.append(std::max<qsizetype>(digits - length, 0), '0');
    for (qsizetype i = 0; i < length; ++i)
        out += char(text[i] >= 'a' ? text[i] - 'a' + 'A' : text[i]);
}

// A table line's fields, comma-separated.
void AppendFields(QByteArray &out, std::initializer_list<qint64> fields)
{
    for (const qint64 field : fields) {
        out += ", ";
        AppendNumber(out, field);
    }
}

// Bytes as "0x00, 0x1F, ...", twelve a line, indented; one 0 for none, as C
// takes no empty initialiser.
void AppendBytes(QByteArray &out, const QByteArray &bytes)
{
    static const char Hex[] = "0123456789ABCDEF";
    const QByteArray some = bytes.isEmpty() ? QByteArray(1, '\0') : bytes;
    out.reserve(out.size() + some.size() * 6);
    char line[128];
    for (qsizetype start = 0; start < some.size(); start += 12) {
        char *at = line;
        const qsizetype end = std::min(start + 12, some.size());
        for (qsizetype i = start; i < end; ++i) {
            const auto b = std::uint8_t(some[i]);
            at = std::copy_n(i == start ? "    0x" : " 0x", i == start ? 6 : 3, at);
            *at++ = Hex[b >> 4];
            *at++ = Hex[b & 0x0F];
            if (i + 1 < some.size())
                *at++ = ',';
        }
        *at++ = '\n';
        out.append(line, at - line);
    }
}

const char *LayoutMacro(ByteLayout layout)
{
    switch (layout) {
    case ByteLayout::RowsLsb:
        return "DOTPRESS_ROWS_LSB";
    case ByteLayout::RowsMsb:
        return "DOTPRESS_ROWS_MSB";
    case ByteLayout::PagesLsb:
        return "DOTPRESS_PAGES_LSB";
    case ByteLayout::PagesMsb:
        return "DOTPRESS_PAGES_MSB";
    }
    return "DOTPRESS_ROWS_LSB";
}

} // namespace

GlyphTable FormatFontTable(const FontGlyphs &font, const QString &identifier, ByteLayout layout, const QByteArray &about,
                           CStorage storage)
{
    const QByteArray name = identifier.toLatin1();
    const QByteArray guard = CMacroStem(identifier) + "_H";
    const QByteArray flash = storage == CStorage::Progmem ? " PROGMEM" : "";
    const QByteArray count = QByteArray::number(qulonglong(font.glyphs.size()));
    GlyphTable table;
    QByteArray dots, glyphs;
    qsizetype dotBytes = 0;
    for (const Glyph &glyph : font.glyphs)
        dotBytes += ByteCount(glyph.dots.size(), layout);
    dots.reserve(dotBytes);
    glyphs.reserve(qsizetype(font.glyphs.size()) * 64);
    for (const Glyph &glyph : font.glyphs) {
        table.error = Overflow("the table's field", glyph.code,
                               {{"offset", dots.size(), 0, 0xFFFFFFFF},
                                {"width", glyph.dots.width(), 0, 0xFFFF},
                                {"height", glyph.dots.height(), 0, 0xFFFF},
                                {"left", glyph.left, -0x8000, 0x7FFF},
                                {"top", glyph.top, -0x8000, 0x7FFF},
                                {"advance", glyph.advance, 0, 0xFFFF}});
        if (!table.ok())
            return table;
        glyphs += "    {";
        AppendHex(glyphs, glyph.code, 4);
        AppendFields(glyphs, {dots.size(), glyph.dots.width(), glyph.dots.height(), glyph.left, glyph.top, glyph.advance});
        glyphs += &glyph == &font.glyphs.back() ? "}  /* " : "}, /* ";
        glyphs += CharName(glyph.code);
        glyphs += " */\n";
        dots += PackDots(glyph.dots, layout);
    }
    table.error = Overflow("the font's field", font.glyphs.empty() ? 0 : font.glyphs.front().code,
                           {{"ascent", font.ascent, 0, 0xFFFF},
                            {"descent", font.descent, 0, 0xFFFF},
                            {"line_height", font.lineHeight, 0, 0xFFFF}});
    if (!table.ok())
        return table;
    QByteArray &out = table.text;
    out.reserve(dots.size() * 6 + glyphs.size() + 2048);
    out += "/* " + name + ": " + about + "\n * Glyph i's width x height dots lie from byte glyphs[i].offset of " + name
           + "_dots in the layout of the font's field layout. With the pen at (x, y)\n"
             " * on the baseline, dot (c, r) is drawn at (x + left + c, y - top + r); the pen then moves advance dots "
             "right. */\n";
    out += "#ifndef " + guard + "\n#define " + guard + "\n\n#include <stdint.h>\n"
           "#ifndef DOTPRESS_FONT_TYPES\n"
           "#define DOTPRESS_FONT_TYPES\n"
           "typedef struct { uint32_t code, offset; uint16_t width, height; int16_t left, top; uint16_t advance; } "
           "dotpress_glyph;\n"
           "typedef struct { const uint8_t *dots; const dotpress_glyph *glyphs; uint32_t count;\n"
           "                 uint16_t ascent, descent, line_height; uint8_t layout; } dotpress_font;\n"
           "#define DOTPRESS_ROWS_LSB 0\n#define DOTPRESS_ROWS_MSB 1\n#define DOTPRESS_PAGES_LSB 2\n"
           "#define DOTPRESS_PAGES_MSB 3\n#endif\n\n";
    if (storage == CStorage::Progmem)
        out += CProgmemPreamble + QByteArray("\n");
    out += "static const uint8_t " + name + "_dots[]" + flash + " = {\n";
    AppendBytes(out, dots);
    out += "};\n\nstatic const dotpress_glyph " + name + "_glyphs[" + count + "]" + flash + " = { /* sorted by code */\n"
           + glyphs + "};\n\n";
    out += "static const dotpress_font " + name + flash + " = { " + name + "_dots, " + name + "_glyphs, " + count + ", "
           + QByteArray::number(font.ascent) + ", " + QByteArray::number(font.descent) + ", "
           + QByteArray::number(font.lineHeight) + ", " + LayoutMacro(layout) + " };\n\n#endif /* " + guard + " */\n";
    return table;
}

GlyphTable FormatGfxFont(const FontGlyphs &font, const QString &identifier, char32_t first, char32_t last)
{
    const QByteArray name = identifier.toLatin1();
    GlyphTable table;
    table.error = Overflow("GFXfont's 16 bits", last, {{"first", first, 0, 0xFFFF}, {"last", last, 0, 0xFFFF}});
    if (!table.ok())
        return table;
    QByteArray bitmaps, glyphs;
    for (char32_t code = first; code <= last; ++code) {
        const Glyph *glyph = font.find(code);
        const Glyph none{code, {}, 0, 0, 0};
        const Glyph &g = glyph ? *glyph : none;
        const qint64 offset = glyph ? bitmaps.size() : 0;
        table.error = Overflow("GFXfont's field", code,
                               {{"bitmapOffset", offset, 0, 0xFFFF},
                                {"width", g.dots.width(), 0, 0xFF},
                                {"height", g.dots.height(), 0, 0xFF},
                                {"xAdvance", g.advance, 0, 0xFF},
                                {"xOffset", g.left, -0x80, 0x7F},
                                {"yOffset", -g.top, -0x80, 0x7F}});
        if (!table.ok())
            return table;
        // The dots row after row, MSB first, the last byte padded.
        int bits = 0;
        std::uint8_t byte = 0;
        for (int r = 0; r < g.dots.height(); ++r)
            for (int c = 0; c < g.dots.width(); ++c) {
                byte = std::uint8_t(byte | (g.dots.lit(c, r) ? 0x80 >> bits : 0));
                if (++bits == 8)
                    bitmaps += char(byte), bits = 0, byte = 0;
            }
        if (bits > 0)
            bitmaps += char(byte);
        glyphs += "    {";
        AppendNumber(glyphs, offset);
        AppendFields(glyphs, {g.dots.width(), g.dots.height(), g.advance, g.left, -g.top});
        glyphs += code == last ? "}  /* " : "}, /* ";
        glyphs += CharName(code) + (glyph ? " */\n" : ", none */\n");
    }
    table.error = Overflow("GFXfont's field", first, {{"yAdvance", font.lineHeight, 0, 0xFF}});
    if (!table.ok())
        return table;
    QByteArray &out = table.text;
    out += "/* " + name + ": a GFXfont, U+" + QByteArray::number(uint(first), 16).toUpper() + " to U+"
           + QByteArray::number(uint(last), 16).toUpper() + ". Include the library's header first. */\n\n";
    out += "const uint8_t " + name + "Bitmaps[] PROGMEM = {\n";
    AppendBytes(out, bitmaps);
    out += "};\n\nconst GFXglyph " + name + "Glyphs[] PROGMEM = {\n" + glyphs + "};\n\n";
    out += "const GFXfont " + name + " PROGMEM = {(uint8_t *)" + name + "Bitmaps, (GFXglyph *)" + name + "Glyphs, ";
    AppendHex(out, first, 2);
    out += ", ";
    AppendHex(out, last, 2);
    out += ", " + QByteArray::number(font.lineHeight) + "};\n";
    return table;
}
