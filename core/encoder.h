#pragma once

// The encoder: the pixels of a picture to the bytes of the LCD module, eight
// pixels a byte, the leftmost in bit 0.

#include "bitmapfile.h"
#include "pixelsource.h"

#include <QByteArray>

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
ScanBounds SetScanBounds(const BitmapHeaders &headers);

enum class Sense { Normal, Inverse };

// The colour that becomes a 1 bit: palette entry 0 (Normal) or 1 (Inverse).
RgbColour OnColour(const PaletteColours &palette, Sense sense);

// Called with 1, 2, ... each time another hundredth of the pixels is done.
using ProgressFn = std::function<void(int percent)>;

// The bytes of the pixels inside bounds, scanned row by row from the top and
// left to right, eight to a byte with the first in bit 0; pixels of exactly
// onColour are 1 bits. Reports the percentage through progress (may be
// empty), at most 100 times. Pixels left over after the last whole byte make
// a last byte.
QByteArray EncodePixels(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                        const ProgressFn &progress = {});
