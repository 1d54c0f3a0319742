#include "greypicture.h"

#include "bitmapfile.h"

bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height)
{
    if (width < 1 || height < 1 || width * height > MaxPicturePixels || width > MaxPictureSide || height > MaxPictureSide) {
        picture.error = Undecodable(QStringLiteral("it is %1 x %2 pixels; the most a picture may have is %3 (8192 x 8192), "
                                                   "%4 on a side").arg(width).arg(height).arg(MaxPicturePixels).arg(MaxPictureSide));
        return false;
    }
    picture.width = int(width);
    picture.height = int(height);
    picture.greys.reserve(std::size_t(width * height));
    return true;
}

QString IncompleteData()
{
    return QStringLiteral("the picture data is incomplete");
}

QString Undecodable(const QString &reason)
{
    return QStringLiteral("the picture cannot be decoded: ") + reason;
}

QString ReadPictureFile(QIODevice &device, QByteArray &bytes)
{
    QString error;
    if (!ReadUpTo(device, bytes, MaxPictureFileBytes + 1, error))
        return QStringLiteral("cannot read: ") + error;
    if (bytes.size() > MaxPictureFileBytes)
        return QStringLiteral("the picture is larger than %1 MiB").arg(MaxPictureFileBytes >> 20);
    return {};
}
