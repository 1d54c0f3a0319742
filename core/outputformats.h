#pragma once

// The other forms the 1920 bytes of a picture take besides the DB listing:
// a C header for firmware written in C, a bitmap drawn from a listing, and
// braille for a look at the dots in a terminal.

#include "encoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A C header holding the bytes, in listing order, as
// "static const unsigned char IDENTIFIER[N] = { 0x01, 0xFF, ... };", eight
// bytes a line like the listing's DB lines, inside an include guard and after
// a comment on the layout and on which dots are lit (litDots, a sentence).
// LF line ends.
QByteArray FormatCArray(QByteArrayView bytes, const QString &identifier, QByteArrayView litDots);

// A 240 x 64, 1-bit BMP of the picture whose 1920 bytes are given in listing
// order (rows from the top, leftmost dot in bit 0): a 14-byte file header, a
// 40-byte info header, palette entry 0 black and entry 1 white, then the rows
// bottom first, 32 bytes each, leftmost pixel in the top bit. A lit dot is
// black (entry 0), so converting the bitmap in the Normal sense gives the
// same bytes back. Bytes missing at the end count as unlit.
QByteArray EncodeBitmap(QByteArrayView bytes);

// The 240 x 64 dots of the bytes (in listing order) as 16 lines of 120
// braille characters, UTF-8, each ended by LF. A character is U+2800 plus
// the bits of its two columns of four dots: the left column's from the top
// bits 0, 1, 2 and 6, the right column's 3, 4, 5 and 7; a lit dot is raised.
QByteArray BrailleText(QByteArrayView bytes);
