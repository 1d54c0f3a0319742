#include "encoder.h"

#include <algorithm>
#include <cmath>

ScanBounds ScanBoundsFor(const BitmapHeaders &headers)
{
    return ScanBounds{0, std::int16_t(headers.biWidth - 1), 0, std::int16_t(headers.biHeight - 1)};
}

RgbColour OnColour(const PaletteColours &palette, Sense sense)
{
    return PaletteRgb(palette[sense == Sense::Normal ? 0 : 1]);
}

DotGrid ScanDots(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                 const ProgressFn &progress)
{
    const int width = bounds.lastColumn - bounds.firstColumn + 1;
    const int height = bounds.lastRow - bounds.firstRow + 1;
    DotGrid dots(DotSize{width, height});
    if (width <= 0 || height <= 0)
        return dots;
    const qint64 pixels = qint64(width) * height;

    // The percentage goes up each time the pixel counter is a multiple of a
    // hundredth of the pixels, that hundredth rounded: 154 for 240 x 64.
    const qint64 step = std::max<qint64>(1, std::llround(double(pixels) / 100.0));
    int percent = 0;
    qint64 counter = 0;
    for (int y = bounds.firstRow; y <= bounds.lastRow; ++y) {
        for (int x = bounds.firstColumn; x <= bounds.lastColumn; ++x) {
            if (source.pixelColour(x, y) == onColour)
                dots.set(x - bounds.firstColumn, y - bounds.firstRow, true);
            if (++counter % step == 0 && percent < 100) {
                ++percent;
                if (progress)
                    progress(percent);
            }
        }
    }
    return dots;
}
