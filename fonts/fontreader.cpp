#include "fontreader.h"

#include "charlist.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H

#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace {

// FreeType's words for its errors.
QString Reason(FT_Error error)
{
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {e, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST }
    static const struct
    {
        int code;
        const char *text;
    } Errors[] =
#include FT_ERRORS_H
        ;
    for (const auto &known : Errors)
        if (known.code == error)
            return QString::fromLatin1(known.text);
    return QStringLiteral("FreeType error %1").arg(error);
}

struct Library
{
    FT_Library library = nullptr;
    ~Library()
    {
        if (library)
            FT_Done_FreeType(library);
    }
};

struct Face
{
    FT_Face face = nullptr;
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
    }
};

// 26.6 fixed point to whole pixels.
int Ceiling(FT_Pos value)
{
    return int((value + 63) >> 6);
}
int Rounded(FT_Pos value)
{
    return int((value + 32) >> 6);
}

// The font's encoding for a message: a bitmap font's registry and
// encoding, else its character maps'.
QString EncodingOf(FT_Face face)
{
    const char *encoding = nullptr, *registry = nullptr;
    if (FT_Get_BDF_Charset_ID(face, &encoding, &registry) == 0 && registry && encoding)
        return QStringLiteral("%1-%2").arg(QLatin1String(registry), QLatin1String(encoding));
    QStringList maps;
    for (int i = 0; i < face->num_charmaps; ++i) {
        const FT_Encoding tag = face->charmaps[i]->encoding;
        const char text[] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
        maps << (tag == FT_ENCODING_NONE ? QStringLiteral("none") : QString::fromLatin1(text).trimmed());
    }
    return maps.isEmpty() ? QStringLiteral("no character map") : maps.join(QLatin1String(", "));
}

// Chooses the size: an outline font's em, or a strike. Empty when done.
QString ChooseSize(FT_Face face, const FontRequest &request)
{
    if (FT_IS_SCALABLE(face)) {
        if (!request.pixels)
            return QStringLiteral("an outline font needs --font-size PX");
        const FT_Error error = FT_Set_Pixel_Sizes(face, 0, FT_UInt(*request.pixels));
        return error ? QStringLiteral("cannot be set to %1 pixels: %2").arg(*request.pixels).arg(Reason(error)) : QString();
    }
    QStringList heights;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const int height = face->available_sizes[i].height;
        if ((request.pixels && *request.pixels == height) || (!request.pixels && face->num_fixed_sizes == 1)) {
            const FT_Error error = FT_Select_Size(face, i);
            return error ? QStringLiteral("its strike of %1 pixels cannot be read: %2").arg(height).arg(Reason(error)) : QString();
        }
        heights << QString::number(height);
    }
    if (heights.isEmpty())
        return QStringLiteral("the font has neither outlines nor strikes");
    return request.pixels ? QStringLiteral("it has no strike of %1 pixels; its sizes: %2").arg(*request.pixels).arg(heights.join(QLatin1String(", ")))
                          : QStringLiteral("it has strikes of %1 pixels: choose one with --font-size").arg(heights.join(QLatin1String(", ")));
}

// A rendered glyph boxed tight around its lit dots: a mono bitmap's set
// bits, a grey one's levels with 255 - level < threshold. on is room for the
// bitmap's dots, kept from one glyph to the next.
Glyph RenderedGlyph(char32_t code, const FT_GlyphSlot slot, int threshold, std::vector<std::uint8_t> &on)
{
    const FT_Bitmap &bitmap = slot->bitmap;
    const int rows = int(bitmap.rows), width = int(bitmap.width);
    const int bytes = (width + 7) / 8, stride = bytes * 8; // a mono row is unpacked a byte at a time
    on.resize(std::size_t(rows) * std::size_t(stride));
    int x0 = width, y0 = rows, x1 = -1, y1 = -1;
    for (int r = 0; r < rows; ++r) {
        const unsigned char *row = bitmap.buffer + std::ptrdiff_t(bitmap.pitch < 0 ? rows - 1 - r : r) * std::abs(bitmap.pitch);
        std::uint8_t *lit = on.data() + std::size_t(r) * std::size_t(stride);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int b = 0; b < bytes; ++b)
                for (int i = 0; i < 8; ++i)
                    lit[8 * b + i] = (row[b] >> (7 - i)) & 1;
        } else {
            for (int c = 0; c < width; ++c)
                lit[c] = 255 - row[c] < threshold;
        }
        int first = 0, last = width - 1;
        while (first < width && !lit[first])
            ++first;
        if (first == width)
            continue;
        while (!lit[last])
            --last;
        x0 = std::min(x0, first), x1 = std::max(x1, last);
        y0 = std::min(y0, r), y1 = r;
    }
    Glyph glyph{code, {}, 0, 0, Rounded(slot->advance.x)};
    if (x1 < 0)
        return glyph;
    glyph.dots = DotGrid(DotSize{x1 - x0 + 1, y1 - y0 + 1});
    for (int r = y0; r <= y1; ++r)
        std::copy_n(on.data() + std::size_t(r) * std::size_t(stride) + x0, x1 - x0 + 1, glyph.dots.row(r - y0));
    glyph.left = slot->bitmap_left + x0;
    glyph.top = slot->bitmap_top - y0;
    return glyph;
}

} // namespace

FontRead ReadFont(const QByteArray &bytes, const FontRequest &request)
{
    FontRead read;
    Library library;
    FT_Error error = FT_Init_FreeType(&library.library);
    if (error) {
        read.error = QStringLiteral("FreeType cannot start: ") + Reason(error);
        return read;
    }
    Face face;
    error = FT_New_Memory_Face(library.library, reinterpret_cast<const FT_Byte *>(bytes.constData()), FT_Long(bytes.size()),
                               0, &face.face);
    if (error) {
        read.error = QStringLiteral("not a font FreeType reads: ") + Reason(error);
        return read;
    }
    if (FT_Select_Charmap(face.face, FT_ENCODING_UNICODE) != 0) {
        read.error = QStringLiteral("the font has no Unicode character map; its encoding is %1").arg(EncodingOf(face.face));
        return read;
    }
    read.error = ChooseSize(face.face, request);
    if (!read.ok())
        return read;
    read.outline = FT_IS_SCALABLE(face.face);
    const FT_Int32 flags = FT_LOAD_RENDER | (read.outline && request.threshold ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    const int threshold = request.threshold.value_or(128);
    read.font.glyphs.reserve(request.codes.size());
    std::vector<std::uint8_t> on;
    for (const char32_t code : request.codes) {
        const FT_UInt index = FT_Get_Char_Index(face.face, code);
        if (index == 0) {
            read.missing.push_back(code);
            continue;
        }
        error = FT_Load_Glyph(face.face, index, flags);
        const FT_GlyphSlot slot = face.face->glyph;
        const bool drawable = slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO || slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
        if (error || !drawable) {
            read.error = QStringLiteral("the glyph of %1 cannot be loaded: %2")
                             .arg(QString::fromUtf8(CharName(code)),
                                  error ? Reason(error) : QStringLiteral("its dots are neither 1-bit nor grey"));
            return read;
        }
        read.font.glyphs.push_back(RenderedGlyph(code, slot, threshold, on));
    }
    const FT_Size_Metrics &metrics = face.face->size->metrics;
    read.font.ascent = Ceiling(metrics.ascender);
    read.font.descent = Ceiling(-metrics.descender);
    read.font.lineHeight = Rounded(metrics.height);
    return read;
}
