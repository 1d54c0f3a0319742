#pragma once

// The other forms the dots of a picture take besides the DB listing: a C
// header for firmware written in C, a bitmap, a PNG for anything that shows
// pictures, and braille for a look at the dots in a terminal.

#include "bytelayout.h"
#include "dotgrid.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A C header holding the bytes of a module of size in layout as
// "static const unsigned char IDENTIFIER[N] = { 0x01, 0xFF, ... };", eight
// bytes a line like the listing's DB lines, inside an include guard and after
// a comment on the size, the layout and which dots are lit (senseNote, a
// sentence). LF line ends.
QByteArray FormatCArray(QByteArrayView bytes, const QString &identifier, DotSize size, ByteLayout layout,
                        QByteArrayView senseNote);

// A 1-bit BMP of the dots, as wide and high as the grid: a 14-byte file
// header, a 40-byte info header, palette entry 0 black and entry 1 white,
// then the rows bottom first, padded to 32-bit words, leftmost pixel in the
// top bit. A lit dot is black (entry 0), so converting the bitmap in the
// Normal sense gives the same dots back.
QByteArray EncodeBitmap(const DotGrid &dots);

// A 1-bit greyscale PNG of the dots, as wide and high as the grid, a lit dot
// black (0) and an unlit one white (1): no filter, the data deflated by zlib at
// a fixed level, so that its bytes depend on nothing but the dots.
QByteArray EncodePng(const DotGrid &dots);

// The dots as ceil(H / 4) lines of ceil(W / 2) braille characters, UTF-8,
// each ended by LF. A character is U+2800 plus the bits of its two columns of
// four dots: the left column's from the top bits 0, 1, 2 and 6, the right
// column's 3, 4, 5 and 7; a lit dot is raised, and past the edges none is.
QByteArray BrailleText(const DotGrid &dots);
