#pragma once

#include "bitmapheaders.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// RGB colour as a picture box reports it: red + 256 * green + 65536 * blue.
using RgbColour = std::uint32_t;

inline constexpr RgbColour Rgb(int red, int green, int blue)
{
    return RgbColour(red) | (RgbColour(green) << 8) | (RgbColour(blue) << 16);
}

RgbColour PaletteRgb(const PaletteEntry &entry);

// Gives the colour of each pixel of the picture on display, row 0 at the top.
class PixelSource
{
public:
    virtual ~PixelSource() = default;
    virtual RgbColour pixelColour(int x, int y) const = 0;
};

// First and last column, first and last row of the scan, inclusive.
struct ScanBounds
{
    std::int16_t firstColumn = 0;
    std::int16_t lastColumn = 0;
    std::int16_t firstRow = 0;
    std::int16_t lastRow = 0;
};

// Columns 0 to biWidth - 1, rows 0 to biHeight - 1; nothing when a bound does
// not fit in 16 bits (or the picture is empty).
std::optional<ScanBounds> SetScanBounds(const BitmapHeaders &headers);

enum class Sense { Normal, Inverse };

// The colour that becomes a 1 bit: palette entry 0 (Normal) or 1 (Inverse),
// reserved byte ignored.
RgbColour OnColour(const PaletteColours &palette, Sense sense);

// Called with 1 to 99 while the scan runs (each time another hundredth of the
// pixels is done) and, by the caller that closed the listing, with 100.
using ProgressFn = std::function<void(int percent)>;

// The bytes of the pixels inside bounds, scanned row by row from the top and
// left to right, eight to a byte with the first in bit 0; pixels of exactly
// onColour are 1 bits. Reports the percentage through progress (may be
// empty). Pixels left over after the last whole byte make a last byte.
QByteArray EncodePixels(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                        const ProgressFn &progress = {});

// The same bytes as DB lines appended to out (a shorter last line when the
// bytes run out before a line is full).
void EncodeRows(const PixelSource &source, const ScanBounds &bounds,
                RgbColour onColour, QByteArray &out, const ProgressFn &progress = {});

struct WriteResult
{
    bool ok = false;
    QString error; // the system's reason
};

// Writes bytes (a listing, a header, a bitmap) atomically: a new file that
// replaces the old one only once complete. On failure the old file stays as
// it was.
WriteResult WriteFileAtomically(const QString &path, const QByteArray &bytes);

// What a conversion ended with.
enum class ConversionOutcome { Converted, NotOneBit, WriteFailed };

struct ConversionResult
{
    ConversionOutcome outcome = ConversionOutcome::NotOneBit;
    QString error; // the system's reason for WriteFailed
    bool ok() const { return outcome == ConversionOutcome::Converted; }
};

// The run after the scan bounds are set: for a 1-bit picture, encode in the
// given sense, write the listing to path, then report 100. Nothing is written
// for any other depth.
ConversionResult ConvertPicture(const PixelSource &source, const BitmapHeaders &headers,
                                const ScanBounds &bounds, const PaletteColours &palette,
                                Sense sense, const QString &path,
                                const ProgressFn &progress = {});
