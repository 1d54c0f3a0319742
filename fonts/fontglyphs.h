#pragma once

// A font read for the module: its glyphs as boxes of dots placed against
// the pen, and what is made of them besides the tables: the one cell of
// --fixed, the specimen, and a text set in lines.

#include "dotgrid.h"

#include <QByteArray>

#include <vector>

// One glyph. With the pen at (x, y) on the baseline, y growing downwards,
// dot (c, r) of dots is drawn at (x + left + c, y - top + r); the pen then
// moves advance dots right.
struct Glyph
{
    char32_t code = 0;
    DotGrid dots; // the box; 0 x 0 (left 0, top 0) for a glyph without dots
    int left = 0;
    int top = 0;
    int advance = 0;
};

struct FontGlyphs
{
    std::vector<Glyph> glyphs; // ascending code
    int ascent = 0;            // rows above the baseline
    int descent = 0;           // rows below it
    int lineHeight = 0;        // from one line's baseline to the next

    // The glyph of code, or null.
    const Glyph *find(char32_t code) const;
};

// The box of a glyph's lit dots: copies the lit dots of bitmap, placed with
// its top left dot at (left, top), into a glyph of their tight box.
Glyph TightGlyph(char32_t code, const DotGrid &bitmap, int left, int top, int advance);

// --fixed: every box made one cell, the widest advance x (ascent + descent)
// with the baseline at row ascent, and every advance the cell's width. Gives
// the codes of the glyphs that lost dots outside the cell.
std::vector<char32_t> FixCells(FontGlyphs &font);

// The specimen: the glyphs in code order, 16 to a row, each in a cell as
// big as every glyph's dots and advance take, with a 1-dot gap between cells.
DotGrid DrawSpecimen(const FontGlyphs &font);

struct SetText
{
    DotGrid dots;                  // empty when the text cannot be set
    std::vector<char32_t> missing; // the text's characters the font lacks, distinct, ascending
    qint64 width = 0;              // the picture's extent, also when too big to set
    qint64 height = 0;
};

// The text set in lines: each line from x = 0, a U+000A starting the next,
// line k's baseline at row k * lineHeight + ascent. The picture spans the
// widest line's final pen x, lines * lineHeight rows and every lit dot
// (moved right and down so that none lies left of or above it); nothing is
// set when a character is missing or it would hold more than maxDots dots.
SetText SetLines(const FontGlyphs &font, const std::vector<char32_t> &text, qint64 maxDots);
