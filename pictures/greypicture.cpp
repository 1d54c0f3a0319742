#include "greypicture.h"

#include "bitmapfile.h"

#include <QIODevice>

#include <algorithm>

qint64 PictureInput::read(char *data, qint64 size)
{
    const qint64 held = std::min<qint64>(size, m_head.size() - m_at);
    std::copy_n(m_head.constData() + m_at, held, data);
    m_at += held;
    qint64 got = held;
    while (got < size) {
        const qint64 more = m_device.read(data + got, size - got);
        if (more < 0) {
            m_error = m_device.errorString();
            return -1;
        }
        if (more == 0)
            break;
        got += more;
    }
    return got;
}

QString PixelLimitError(qint64 width, qint64 height)
{
    if (width < 1 || height < 1 || width * height > MaxPicturePixels || width > MaxPictureSide || height > MaxPictureSide)
        return Undecodable(QStringLiteral("it is %1 x %2 pixels; the most a picture may have is %3 (8192 x 8192), "
                                          "%4 on a side").arg(width).arg(height).arg(MaxPicturePixels).arg(MaxPictureSide));
    return {};
}

bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height)
{
    picture.error = PixelLimitError(width, height);
    if (!picture.ok())
        return false;
    picture.width = int(width);
    picture.height = int(height);
    picture.greys.reserve(std::size_t(width * height));
    return true;
}

Turn TurnOf(QImageIOHandler::Transformations transformation)
{
    const bool mirror = transformation & QImageIOHandler::TransformationMirror;
    const bool flip = transformation & QImageIOHandler::TransformationFlip;
    if (!(transformation & QImageIOHandler::TransformationRotate90))
        return mirror && flip ? Turn{Rotation::Half, Flip::None}
                              : Turn{Rotation::None, mirror ? Flip::Horizontal : flip ? Flip::Vertical : Flip::None};
    return mirror && flip ? Turn{Rotation::ThreeQuarters, Flip::None}
                          : Turn{Rotation::Quarter, mirror ? Flip::Vertical : flip ? Flip::Horizontal : Flip::None};
}

QString IncompleteData()
{
    return QStringLiteral("the picture data is incomplete");
}

QString Undecodable(const QString &reason)
{
    return QStringLiteral("the picture cannot be decoded: ") + reason;
}

QString ReadHeldInput(QIODevice &device, QByteArray &bytes, const QString &what)
{
    QString error;
    for (qint64 want = 1 << 20;; want = std::min(2 * want, MaxHeldBytes + 1)) {
        if (!ReadUpTo(device, bytes, want, error))
            return QStringLiteral("cannot read: ") + error;
        if (bytes.size() < want)
            return {};
        if (bytes.size() > MaxHeldBytes)
            return QStringLiteral("%1 is held in memory, at most %2 bytes (%3 MiB); this one is longer")
                .arg(what).arg(MaxHeldBytes).arg(MaxHeldBytes >> 20);
    }
}
