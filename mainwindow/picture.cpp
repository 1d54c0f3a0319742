#include "picture.h"

QImage PictureImage(const DecodedPicture &picture)
{
    QImage image(picture.size.width, picture.size.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const RgbColour colour = picture.pixelColour(x, y);
            image.setPixel(x, y, qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
        }
    }
    return image;
}

RgbColour ImagePixelSource::pixelColour(int x, int y) const
{
    if (!m_image.valid(x, y))
        return 0;
    const QRgb colour = m_image.pixel(x, y);
    return Rgb(qRed(colour), qGreen(colour), qBlue(colour));
}
