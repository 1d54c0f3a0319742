#pragma once

// What every picture reader shares: the picture as greys over the
// background, the limits checked from a header before anything is decoded,
// and the words of the failures they all report alike.

#include "preparation.h"

#include <QString>

class QIODevice;

#include <cstdint>
#include <vector>

// The most of a picture file that is read, and the most pixels a picture may
// have (8192 x 8192 is taken), checked from its header before decoding.
inline constexpr qint64 MaxPictureFileBytes = 64 << 20;
inline constexpr qint64 MaxPicturePixels = qint64(1) << 26;

struct GreyPicture
{
    QString error; // why it cannot be had; empty when ok
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> greys; // width * height, rows from the top, upright
    bool ok() const { return error.isEmpty(); }
};

// Takes width x height for picture, reserving its greys, or sets its error
// when a side is below 1 or the picture has more than MaxPicturePixels.
bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height);

// Reads the rest of device after the bytes already read from it into bytes;
// the reason when it cannot, or when the file is larger than
// MaxPictureFileBytes; empty when the whole file is in bytes.
QString ReadPictureFile(QIODevice &device, QByteArray &bytes);

// The failures every decoder reports alike.
QString IncompleteData();
QString Undecodable(const QString &reason);
