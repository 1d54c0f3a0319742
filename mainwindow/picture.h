#pragma once

#include "bitmapheaders.h"
#include "encoder.h"

#include <QImage>
#include <QString>

// The one decode path for a bitmap, shared by the window and the converter.
struct LoadedPicture
{
    QImage image;  // the decoded picture, 240 x 64, when ok
    QString error; // what went wrong, in words, when not ok
    bool ok() const { return !image.isNull(); }
};

// Checks that the file holds its palette and all its pixel rows, then decodes
// it. The headers are those just read from the same file.
LoadedPicture LoadPicture(const QString &path, const BitmapHeaders &headers);

// The same, for a file's bytes already in memory.
LoadedPicture LoadPictureData(const QByteArray &bytes, const BitmapHeaders &headers);

// The colours of a decoded picture, each exactly the palette colour of its
// pixel, red in the low byte.
class ImagePixelSource : public PixelSource
{
public:
    explicit ImagePixelSource(const QImage &image);
    RgbColour pixelColour(int x, int y) const override;
    void rowColours(int x, int y, int count, RgbColour *out) const override;

private:
    QImage m_image; // in 32-bit RGB, so a row is read straight from its scan line
};

// QRgb (0xAARRGGBB) to the picture box's RGB colour (red in the low byte).
inline RgbColour FromQRgb(QRgb colour)
{
    return Rgb(qRed(colour), qGreen(colour), qBlue(colour));
}
