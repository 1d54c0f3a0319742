#pragma once

// Any picture the converter prepares, decoded straight into its greys over
// the background, one byte a pixel, so that a large picture is never held as
// colours: JPEG, PNG and GIF (its first frame) row by row through their own
// libraries, which report a cut or corrupt file; PBM and 8-bit raw PGM and
// PPM by the converter's own reader; every other format through Qt's image
// readers and plugins (BMP, other PGM/PPM, XBM, XPM, ICO, TIFF, WebP, SVG),
// with the checks of cut files that they lack. This folder is the
// converter's only use of Qt Gui and of image libraries.

#include "greypicture.h"

#include <QByteArray>

class QIODevice;

// Reads the rest of device after the bytes already read from it and decodes
// the whole into greys laid over how.background (GreyOver's rule), turned as
// its orientation (EXIF) says. An ICO or CUR gives its largest image; an SVG
// is drawn at the size it takes on module once turned by turn.
GreyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes, const Preparation &how, DotSize module, Turn turn);
