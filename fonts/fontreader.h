#pragma once

// Reading a font file through FreeType, the only file that includes it:
// bitmap fonts (BDF, PCF, .pcf.gz, OTB: fixed strikes) with exactly their
// stored dots, outline fonts (TTF, OTF) rendered at a pixel size, each
// glyph boxed tight around its lit dots.

#include "fontglyphs.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The largest --font-size taken, and the most of a font file that is read.
inline constexpr int MaxFontPixels = 512;
inline constexpr qint64 MaxFontFileBytes = 64 << 20;

struct FontRequest
{
    std::optional<int> pixels;    // a strike's height, an outline font's em; needed for outlines
    std::optional<int> threshold; // outlines in 256 levels, lit where 255 - coverage < threshold
    std::vector<char32_t> codes;  // distinct, ascending
};

struct FontRead
{
    QString error; // why the font cannot be read; empty when ok
    FontGlyphs font;
    std::vector<char32_t> missing; // the codes asked for that the font lacks
    bool outline = false;
    bool ok() const { return error.isEmpty(); }
};

// Reads the glyphs of request.codes from bytes, a font file (gzip
// compressed or not). Only a font with a Unicode character map is taken
// (outlines, BDF and PCF in ISO 10646 or ISO 8859-1). Outlines are rendered
// with the font's hinting, in FreeType's monochrome mode or with a threshold
// in 256 levels; a bitmap font takes the strike of request.pixels rows, or
// its only one. Ascent, descent and line height are FreeType's size metrics
// in whole pixels (ascent and descent rounded up, line height to nearest).
FontRead ReadFont(const QByteArray &bytes, const FontRequest &request);
