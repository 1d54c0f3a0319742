#pragma once

// The encoder: the pixels of a picture to its dots, a dot lit where the
// pixel has exactly the on colour; the byte layouts make bytes of them.

#include "bitmapfile.h"
#include "dotgrid.h"
#include "pixelsource.h"

#include <cstdint>
#include <functional>

// First and last column, first and last row of the scan, inclusive.
struct ScanBounds
{
    std::int16_t firstColumn = 0;
    std::int16_t lastColumn = 0;
    std::int16_t firstRow = 0;
    std::int16_t lastRow = 0;
};

// Columns 0 to biWidth - 1 and rows 0 to biHeight - 1 of an admitted bitmap.
ScanBounds ScanBoundsFor(const BitmapHeaders &headers);

enum class Sense { Normal, Inverse };

// The colour that becomes a lit dot: palette entry 0 (Normal) or 1 (Inverse).
RgbColour OnColour(const PaletteColours &palette, Sense sense);

// Called with 1, 2, ... each time another hundredth of the pixels is done.
using ProgressFn = std::function<void(int percent)>;

// The dots of the pixels inside bounds, scanned row by row from the top and
// left to right; pixels of exactly onColour are lit. Reports the percentage
// through progress (may be empty), at most 100 times.
DotGrid ScanDots(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                 const ProgressFn &progress = {});
