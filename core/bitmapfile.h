#pragma once

// The bitmap file: the BMP layout, the headers and palette read from an
// input, the admission of the one picture a module takes (its size at 1 bit
// per pixel: 240 x 64 for the window's), the checks of its picture data and
// its decode.

#include "dotgrid.h"
#include "pixelsource.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QIODevice;

// The BMP layout, all fields little-endian.
namespace Bmp {
inline constexpr int FileHeaderSize = 14;
inline constexpr int InfoHeaderSize = 40;     // the Windows 3 header; others are longer
inline constexpr int PaletteEntrySize = 4;    // blue, green, red, reserved
inline constexpr std::int16_t Type = 0x4D42;  // "BM" read as a little-endian field
// A row of pixels, padded to a whole number of 32-bit words.
inline constexpr int RowBytes(int width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }
} // namespace Bmp

// The only bitmaps a module takes: its size, at 1 bit per pixel.
inline constexpr int LcdBitCount = 1;
inline constexpr int LcdColours = 2;

// The file header and info header of a bitmap, with the field names of the
// published BMP format. All zero before anything is read.
struct BitmapHeaders
{
    // File header (14 bytes on disk).
    std::int16_t bfType = 0;
    std::int32_t bfSize = 0;
    std::int16_t bfReserved1 = 0;
    std::int16_t bfReserved2 = 0;
    std::int32_t bfOffBits = 0;
    // Info header (40 bytes are read, whatever biSize says).
    std::int32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::int16_t biPlanes = 0;
    std::int16_t biBitCount = 0;
    std::int32_t biCompression = 0;
    std::int32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::int32_t biClrUsed = 0;
    std::int32_t biClrImportant = 0;
};

// One palette entry in file order: blue, green, red, reserved.
struct PaletteEntry
{
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

// The first two palette entries of a 1-bit bitmap.
using PaletteColours = std::array<PaletteEntry, 2>;

// The colour of a palette entry; its reserved byte plays no part.
RgbColour PaletteRgb(const PaletteEntry &entry);

// The most an admitted bitmap of a module's size is read of: its headers may
// place the pixel data anywhere, but the rows (2 KiB for 240 x 64) need not
// lie a megabyte in, nor further in than twice their own size.
qint64 MaxBitmapBytes(DotSize module);

// What one sequential read of an input gave: the device is read once, from
// its start, never seeked, so a named pipe or standard input works.
struct BitmapFile
{
    QString error;            // the system's reason when reading failed
    BitmapHeaders headers;    // bytes missing at the end count as zero
    PaletteColours palette{}; // entries 0 and 1, read for a 1-bit file only
    QByteArray bytes;         // the input from its start, as far as was read
    bool pastLimit = false;   // an admitted bitmap whose headers reach past MaxBitmapBytes()

    bool ok() const { return error.isEmpty(); }
};

// Reads on from device until bytes holds size bytes or the input ends;
// false, with the system's reason, when reading fails.
bool ReadUpTo(QIODevice &device, QByteArray &bytes, qint64 size, QString &error);

// Reads the 14-byte file header and 40 bytes of info header; for a 1-bit
// file the two palette entries from where the palette really starts (right
// after the info header, whatever its length), and for one admitted to module
// all that its headers say the picture needs, up to MaxBitmapBytes(module). A
// file whose headers are cut short reads as zeros there, so it is never
// admitted on values left from an earlier one.
BitmapFile ReadBitmapFile(QIODevice &device, DotSize module = LcdSize);

// True exactly when the bitmap is as high and as wide as module and 1 bit per
// pixel.
bool IsAdmitted(const BitmapHeaders &headers, DotSize module = LcdSize);

// The refusal of any other bitmap, two lines joined by CR LF.
QString RefusalText(DotSize module = LcdSize);

// The pixels of an admitted bitmap, row 0 at the top, each the palette
// colour of its pixel.
struct DecodedPicture final : PixelSource
{
    QString error;            // why the picture cannot be had; empty when ok
    PaletteColours palette{}; // entries 0 and 1 of the file's palette
    DotSize size;             // the bitmap's width and height
    std::vector<std::uint8_t> indexes; // 0 or 1 for each pixel, rows from the top

    bool ok() const { return error.isEmpty(); }
    // The colour of pixel (x, y); 0 outside the picture.
    RgbColour pixelColour(int x, int y) const override;
};

// Decodes a bitmap admitted to its module as read: checks that the file holds
// the palette its headers declare, uncompressed, and the rows after it, then
// unpacks the rows, stored bottom row first and padded to 32-bit words, the
// leftmost pixel in the top bit of its byte. Only a "BM" file of one plane
// with a 40-, 64-, 108- or 124-byte info header is decoded; the error names
// what is wrong.
DecodedPicture DecodeBitmap(const BitmapFile &file);
