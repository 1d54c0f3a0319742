#pragma once

// The picture on display: the decoded bitmap as PreviewPic shows it, and the
// pixel source over it that the conversion reads.

#include "bitmapfile.h"
#include "pixelsource.h"

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
