#pragma once

// Any picture the converter prepares, decoded straight into its greys over
// the background, one byte a pixel, so that a large picture is never held as
// colours: JPEG, PNG and GIF (its first frame) row by row through their own
// libraries, read from the file as they decode and prepared as the rows
// come, which report a cut or corrupt file; PBM and 8-bit raw PGM and PPM by
// the converter's own reader; every other format through Qt's image readers
// and plugins (BMP, other PGM/PPM, XBM, XPM, ICO, TIFF, WebP, SVG), with the
// checks of cut files that they lack. This folder is the converter's only
// use of Qt Gui and of image libraries.

#include "greypicture.h"

#include <QByteArray>

class QIODevice;

struct PreparedPicture
{
    QString error; // why it cannot be had; empty when ok
    PreparedDots prepared;
    bool ok() const { return error.isEmpty(); }
};

// Reads the rest of device after bytes, the bytes already read from it, and
// prepares the picture by how for module, turned first as its orientation
// (EXIF) says, then by turn. An ICO or CUR gives its largest image; an SVG
// is drawn at the size it takes on module once turned by turn. A JPEG many
// times larger than its place on the module is decoded at 1/2, 1/4 or 1/8.
// The pixel limit is the one limit, save for a pipe or standard input in a
// format read by the converter's own reader or Qt's: at most MaxHeldBytes.
PreparedPicture PrepareAnyPicture(QIODevice &device, const QByteArray &bytes, const Preparation &how, DotSize module,
                                  Turn turn);

// The same decoding, the whole picture's greys held and given back, turned
// upright, and at full size.
GreyPicture DecodeAnyPicture(QIODevice &device, const QByteArray &bytes, const Preparation &how, DotSize module,
                             Turn turn);
