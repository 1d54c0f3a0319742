#include "picture.h"

QImage PictureImage(const DecodedPicture &picture)
{
    QImage image(LcdWidth, LcdHeight, QImage::Format_RGB32);
    for (int y = 0; y < LcdHeight; ++y) {
        for (int x = 0; x < LcdWidth; ++x) {
            const PaletteEntry &entry = picture.palette[picture.indexes[std::size_t(y * LcdWidth + x)]];
            image.setPixel(x, y, qRgb(entry.red, entry.green, entry.blue));
        }
    }
    return image;
}

RgbColour ImagePixelSource::pixelColour(int x, int y) const
{
    if (!m_image.valid(x, y))
        return 0;
    return FromQRgb(m_image.pixel(x, y));
}
