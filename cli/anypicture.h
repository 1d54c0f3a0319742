#pragma once

// Any picture Qt's image readers take (PNG, JPEG, GIF, BMP of any kind,
// PBM/PGM/PPM, XBM, XPM, ICO), decoded for preparation: the converter's only
// use of Qt Gui.

#include "preparation.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The most of a picture file that is read, and the most its decoded pixels
// may take: a small file that declares a huge picture fails.
inline constexpr qint64 MaxPictureFileBytes = 64 << 20;
inline constexpr int MaxPictureMegabytes = 256;

struct AnyPicture
{
    QString error; // why it cannot be had; empty when ok
    RgbaImage image;
    bool ok() const { return error.isEmpty(); }
};

// Reads the rest of device after the bytes already read from it, and
// decodes the whole (a GIF's first frame) into straight RGBA.
AnyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes);
