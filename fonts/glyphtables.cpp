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

// Bytes as "0x00, 0x1F, ...", twelve a line, indented, appended to out as
// they come; one 0 for none, as C takes no empty initialiser.
class ByteLines
{
public:
    explicit ByteLines(QByteArray &out) : m_out(out) {}

    void append(QByteArrayView bytes)
    {
        static const char Hex[] = "0123456789ABCDEF";
        const qsizetype start = m_out.size();
        m_out.resize(start + bytes.size() * 10); // ",\n    0x" and two digits a byte at most
        char *at = m_out.data() + start;
        for (const char byte : bytes) {
            const char *lead = m_written == 0 ? "    0x" : m_written % 12 == 0 ? ",\n    0x" : ", 0x";
            while (*lead)
                *at++ = *lead++;
            *at++ = Hex[std::uint8_t(byte) >> 4];
            *at++ = Hex[std::uint8_t(byte) & 0x0F];
            ++m_written;
        }
        m_out.truncate(at - m_out.constData());
    }

    // Ends the last line, once all the bytes are in.
    void finish()
    {
        if (m_written == 0)
            append(QByteArrayView("\0", 1));
        m_out += '\n';
    }

private:
    QByteArray &m_out;
    qsizetype m_written = 0;
};

void AppendBytes(QByteArray &out, const QByteArray &bytes)
{
    ByteLines lines(out);
    lines.append(bytes);
    lines.finish();
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
    // Every field checked before a character is written; the text is then
    // written once, straight into its place (a big font's is megabytes).
    qsizetype dotBytes = 0;
    for (const Glyph &glyph : font.glyphs) {
        table.error = Overflow("the table's field", glyph.code,
                               {{"offset", dotBytes, 0, 0xFFFFFFFF},
                                {"width", glyph.dots.width(), 0, 0xFFFF},
                                {"height", glyph.dots.height(), 0, 0xFFFF},
                                {"left", glyph.left, -0x8000, 0x7FFF},
                                {"top", glyph.top, -0x8000, 0x7FFF},
                                {"advance", glyph.advance, 0, 0xFFFF}});
        if (!table.ok())
            return table;
        dotBytes += ByteCount(glyph.dots.size(), layout);
    }
    table.error = Overflow("the font's field", font.glyphs.empty() ? 0 : font.glyphs.front().code,
                           {{"ascent", font.ascent, 0, 0xFFFF},
                            {"descent", font.descent, 0, 0xFFFF},
                            {"line_height", font.lineHeight, 0, 0xFFFF}});
    if (!table.ok())
        return table;
    QByteArray &out = table.text;
    out.reserve(dotBytes * 7 + qsizetype(font.glyphs.size()) * 80 + 4096); // 6 1/3 characters a byte
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
    ByteLines lines(out);
    QByteArray packed;
    for (const Glyph &glyph : font.glyphs) {
        packed.fill('\0', ByteCount(glyph.dots.size(), layout));
        PackDotsInto(glyph.dots, layout, packed.data());
        lines.append(packed);
    }
    lines.finish();
    out += "};\n\nstatic const dotpress_glyph " + name + "_glyphs[" + count + "]" + flash + " = { /* sorted by code */\n";
    qsizetype offset = 0;
    for (const Glyph &glyph : font.glyphs) {
        out += "    {";
        AppendHex(out, glyph.code, 4);
        AppendFields(out, {offset, glyph.dots.width(), glyph.dots.height(), glyph.left, glyph.top, glyph.advance});
        out += &glyph == &font.glyphs.back() ? "}  /* " : "}, /* ";
        out += CharName(glyph.code);
        out += " */\n";
        offset += ByteCount(glyph.dots.size(), layout);
    }
    out += "};\n\n";
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
