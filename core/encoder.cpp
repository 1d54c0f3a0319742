#include "encoder.h"

#include <algorithm>
#include <cmath>

ScanBounds SetScanBounds(const BitmapHeaders &headers)
{
    return ScanBounds{0, std::int16_t(headers.biWidth - 1), 0, std::int16_t(headers.biHeight - 1)};
}

RgbColour OnColour(const PaletteColours &palette, Sense sense)
{
    return PaletteRgb(palette[sense == Sense::Normal ? 0 : 1]);
}

QByteArray EncodePixels(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                        const ProgressFn &progress)
{
    QByteArray bytes;
    const int width = bounds.lastColumn - bounds.firstColumn + 1;
    const int height = bounds.lastRow - bounds.firstRow + 1;
    if (width <= 0 || height <= 0)
        return bytes;
    const qint64 pixels = qint64(width) * height;
    bytes.reserve(qsizetype((pixels + 7) / 8));

    // The percentage goes up each time the pixel counter is a multiple of a
    // hundredth of the pixels, that hundredth rounded: 154 for 240 x 64.
    const qint64 step = std::max<qint64>(1, std::llround(double(pixels) / 100.0));
    int percent = 0;
    qint64 counter = 0;
    int bit = 0;
    unsigned value = 0;
    for (int y = bounds.firstRow; y <= bounds.lastRow; ++y) {
        for (int x = bounds.firstColumn; x <= bounds.lastColumn; ++x) {
            // The first pixel of a byte is bit 0, the eighth bit 7.
            if (source.pixelColour(x, y) == onColour)
                value |= 1u << bit;
            if (++bit == 8) {
                bytes += char(value);
                bit = 0;
                value = 0;
            }
            if (++counter % step == 0 && percent < 100) {
                ++percent;
                if (progress)
                    progress(percent);
            }
        }
    }
    // Only a picture whose pixel count is not a multiple of eight leaves a
    // partial byte; an admitted one never does.
    if (bit > 0)
        bytes += char(value);
    return bytes;
}
