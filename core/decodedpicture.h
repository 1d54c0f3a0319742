#pragma once

#include "bitmapheaders.h"
#include "encoder.h"

#include <QString>

#include <array>
#include <cstdint>

class QIODevice;

// The pixels of an admitted bitmap, each the palette colour of its pixel,
// row 0 at the top: what the window shows and the converter converts.
struct DecodedPicture final : PixelSource
{
    QString error;                 // why the picture cannot be had; empty when ok
    PaletteColours palette{};      // entries 0 and 1 of the file's palette
    std::array<std::uint8_t, LcdWidth * LcdHeight> indexes{}; // 0 or 1 for each pixel

    bool ok() const { return error.isEmpty(); }
    // The colour of pixel (x, y); 0 outside the picture.
    RgbColour pixelColour(int x, int y) const override;
};

// Decodes an admitted bitmap (240 x 64, 1 bit per pixel) whose headers and
// palette entries were just read from the same file: checks that the file
// holds its palette and every row of pixel data, then unpacks the rows,
// stored bottom row first, 32 bytes each, the leftmost pixel in the top bit
// of its byte.
DecodedPicture DecodeBitmap(QIODevice &device, const BitmapHeaders &headers,
                            const PaletteColours &palette);
DecodedPicture DecodeBitmapFile(const QString &path, const BitmapHeaders &headers,
                                const PaletteColours &palette);
