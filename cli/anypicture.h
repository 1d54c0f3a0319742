#pragma once

// Any picture the converter prepares, decoded straight into its greys over
// the background, one byte a pixel, so that a large picture is never held as
// colours: JPEG, PNG and GIF (its first frame) row by row through their own
// libraries, which report a cut or corrupt file; PBM and 8-bit raw PGM and
// PPM here; every other format through Qt's image readers and plugins (BMP,
// other PGM/PPM, XBM, XPM, ICO, TIFF, WebP, SVG), with the checks of cut
// files that they lack. The converter's only use of Qt Gui and of image
// libraries.

#include "preparation.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

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

// Reads the rest of device after the bytes already read from it and decodes
// the whole into greys laid over how.background (GreyOver's rule), turned as
// its orientation (EXIF) says. An ICO or CUR gives its largest image; an SVG
// is drawn at the size it takes on module once turned by turn.
GreyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes, const Preparation &how, DotSize module, Turn turn);
