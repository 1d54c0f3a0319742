#include "anypicture.h"

#include "bitmapfile.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cstring>

AnyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes)
{
    AnyPicture picture;
    if (!ReadUpTo(device, bytes, MaxPictureFileBytes + 1, picture.error)) {
        picture.error = QStringLiteral("cannot read: ") + picture.error;
        return picture;
    }
    if (bytes.size() > MaxPictureFileBytes) {
        picture.error = QStringLiteral("the picture is larger than %1 MiB").arg(MaxPictureFileBytes >> 20);
        return picture;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImageReader::setAllocationLimit(MaxPictureMegabytes);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > qint64(MaxPictureMegabytes) * (1 << 20) / 4) {
        picture.error = QStringLiteral("the picture cannot be decoded: it is %1 x %2 pixels, more than %3 MiB")
                            .arg(size.width()).arg(size.height()).arg(MaxPictureMegabytes);
        return picture;
    }
    const QImage decoded = reader.read();
    if (decoded.isNull()) {
        picture.error = QStringLiteral("the picture cannot be decoded: ") + reader.errorString();
        return picture;
    }
    // Straight, not premultiplied, alpha: four bytes a pixel, rows from the top.
    const QImage rgba = decoded.convertToFormat(QImage::Format_RGBA8888);
    picture.image.width = rgba.width();
    picture.image.height = rgba.height();
    picture.image.rgba.resize(std::size_t(rgba.width()) * rgba.height() * 4);
    for (int y = 0; y < rgba.height(); ++y)
        std::memcpy(picture.image.rgba.data() + std::size_t(y) * rgba.width() * 4, rgba.constScanLine(y),
                    std::size_t(rgba.width()) * 4);
    return picture;
}
