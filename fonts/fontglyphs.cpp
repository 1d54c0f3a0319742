#include "fontglyphs.h"

#include <algorithm>

const Glyph *FontGlyphs::find(char32_t code) const
{
    const auto at = std::lower_bound(glyphs.begin(), glyphs.end(), code,
                                     [](const Glyph &glyph, char32_t c) { return glyph.code < c; });
    return at != glyphs.end() && at->code == code ? &*at : nullptr;
}

std::vector<char32_t> FixCells(FontGlyphs &font)
{
    int width = 0;
    for (const Glyph &glyph : font.glyphs)
        width = std::max(width, glyph.advance);
    const DotSize cell{width, font.ascent + font.descent};
    std::vector<char32_t> cut;
    for (Glyph &glyph : font.glyphs) {
        DotGrid dots(cell);
        bool lost = false;
        for (int r = 0; r < glyph.dots.height(); ++r)
            for (int c = 0; c < glyph.dots.width(); ++c) {
                const int x = glyph.left + c, y = font.ascent - glyph.top + r;
                const bool inside = x >= 0 && y >= 0 && x < cell.width && y < cell.height;
                lost = lost || (!inside && glyph.dots.lit(c, r));
                dots.set(x, y, glyph.dots.lit(c, r));
            }
        if (lost)
            cut.push_back(glyph.code);
        glyph = Glyph{glyph.code, dots, 0, font.ascent, width};
    }
    return cut;
}

DotGrid DrawSpecimen(const FontGlyphs &font)
{
    // The cell: from the leftmost dot (or the pen) to the rightmost dot (or
    // the advance), from the highest dot to the lowest, at least 1 x 1.
    int left = 0, right = 1, top = 1, bottom = 0;
    for (const Glyph &glyph : font.glyphs) {
        right = std::max(right, glyph.advance);
        if (glyph.dots.width() == 0)
            continue;
        left = std::min(left, glyph.left);
        right = std::max(right, glyph.left + glyph.dots.width());
        top = std::max(top, glyph.top);
        bottom = std::max(bottom, glyph.dots.height() - glyph.top);
    }
    const int count = int(font.glyphs.size());
    const int cellWidth = right - left, cellHeight = top + bottom;
    const int columns = std::min(count, 16), rows = (count + 15) / 16;
    DotGrid dots(DotSize{columns * (cellWidth + 1) - 1, rows * (cellHeight + 1) - 1});
    for (int i = 0; i < count; ++i) {
        const Glyph &glyph = font.glyphs[std::size_t(i)];
        const int x = i % 16 * (cellWidth + 1) - left + glyph.left, y = i / 16 * (cellHeight + 1) + top - glyph.top;
        for (int r = 0; r < glyph.dots.height(); ++r)
            for (int c = 0; c < glyph.dots.width(); ++c)
                if (glyph.dots.lit(c, r))
                    dots.set(x + c, y + r, true);
    }
    return dots;
}

SetText SetLines(const FontGlyphs &font, const std::vector<char32_t> &text, qint64 maxDots)
{
    SetText set;
    // The extent, relative to the first line's top left.
    qint64 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    qint64 pen = 0, line = 0;
    const auto placed = [&](auto &&each) {
        pen = 0, line = 0;
        for (const char32_t code : text) {
            if (code == U'\n') {
                pen = 0, ++line;
                continue;
            }
            if (const Glyph *glyph = font.find(code)) {
                each(*glyph, pen + glyph->left, line * font.lineHeight + font.ascent - glyph->top);
                pen += glyph->advance;
            }
            x1 = std::max(x1, pen);
        }
    };
    placed([&](const Glyph &glyph, qint64 x, qint64 y) {
        if (glyph.dots.width() == 0)
            return;
        x0 = std::min(x0, x), y0 = std::min(y0, y);
        x1 = std::max(x1, x + glyph.dots.width()), y1 = std::max(y1, y + glyph.dots.height());
    });
    y1 = std::max(y1, (line + 1) * font.lineHeight);
    for (const char32_t code : text)
        if (code != U'\n' && !font.find(code))
            set.missing.push_back(code);
    std::sort(set.missing.begin(), set.missing.end());
    set.missing.erase(std::unique(set.missing.begin(), set.missing.end()), set.missing.end());
    set.width = x1 - x0;
    set.height = y1 - y0;
    if (!set.missing.empty() || set.width < 1 || set.height < 1 || set.width > maxDots / set.height)
        return set;
    set.dots = DotGrid(DotSize{int(set.width), int(set.height)});
    placed([&](const Glyph &glyph, qint64 x, qint64 y) {
        for (int r = 0; r < glyph.dots.height(); ++r)
            for (int c = 0; c < glyph.dots.width(); ++c)
                if (glyph.dots.lit(c, r))
                    set.dots.set(int(x - x0 + c), int(y - y0 + r), true);
    });
    return set;
}
