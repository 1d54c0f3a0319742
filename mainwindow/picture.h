#pragma once

#include "decodedpicture.h"
#include "encoder.h"

#include <QImage>

// The decoded picture as PreviewPic shows it, each pixel in its palette colour.
QImage PictureImage(const DecodedPicture &picture);

// The colours of the picture on display, red in the low byte: what the
// conversion reads.
class ImagePixelSource : public PixelSource
{
public:
    explicit ImagePixelSource(const QImage &image) : m_image(image) {}
    RgbColour pixelColour(int x, int y) const override;

private:
    QImage m_image;
};

// QRgb (0xAARRGGBB) to the picture box's RGB colour (red in the low byte).
inline RgbColour FromQRgb(QRgb colour)
{
    return Rgb(qRed(colour), qGreen(colour), qBlue(colour));
}
