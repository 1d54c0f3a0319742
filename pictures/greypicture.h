#pragma once

// What every picture reader shares: the picture as greys over the
// background, the limits checked from a header before anything is decoded,
// and the words of the failures they all report alike.

#include "preparation.h"

#include <QByteArray>
#include <QImageIOHandler>
#include <QString>

class QIODevice;

#include <cstdint>
#include <vector>

class QIODevice;

// The most pixels a picture may have (8192 x 8192 is taken), checked from
// its header before decoding; and the most of a pipe held in memory for a
// reader that must seek: that many pixels of 4 bytes (256 MiB).
inline constexpr qint64 MaxPicturePixels = qint64(1) << 26;
inline constexpr qint64 MaxHeldBytes = 4 * MaxPicturePixels;

struct GreyPicture
{
    QString error; // why it cannot be had; empty when ok
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> greys; // width * height, rows from the top, upright
    bool ok() const { return error.isEmpty(); }
};

// A picture file as its decoder reads it: the bytes already read from its
// start, then the rest of device, a piece at a time as asked, never whole.
class PictureInput
{
public:
    PictureInput(QIODevice &device, const QByteArray &head) : m_device(device), m_head(head) {}
    // Up to size bytes into data; 0 at the end; -1 when reading fails, and
    // error() says why.
    qint64 read(char *data, qint64 size);
    const QString &error() const { return m_error; }

private:
    QIODevice &m_device;
    const QByteArray &m_head;
    qsizetype m_at = 0;
    QString m_error;
};

// The failure of a picture of width x height pixels over the limits, or
// empty when it is within them.
QString PixelLimitError(qint64 width, qint64 height);

// Takes width x height for picture, reserving its greys, or sets its error
// when a side is below 1 or the picture has more than MaxPicturePixels.
bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height);

// Qt's transformation (mirrored, flipped, then turned a quarter clockwise),
// as Qt's readers and EXIF orientations give it, as the one turn of the
// greys: a quarter turn after a mirror or a flip is the quarter turn with
// the other flip after it.
Turn TurnOf(QImageIOHandler::Transformations transformation);

// Reads the rest of device after the bytes already read from it into bytes,
// for a reader that takes its input whole, up to MaxHeldBytes; the reason
// when reading fails, or when the input is longer (what, "an animation",
// names what is held).
QString ReadHeldInput(QIODevice &device, QByteArray &bytes, const QString &what);

// The failures every decoder reports alike.
QString IncompleteData();
QString Undecodable(const QString &reason);
