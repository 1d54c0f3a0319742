#pragma once

// The other forms the dots of a picture take besides the DB listing: a C
// header for firmware written in C, a bitmap, a PNG for anything that shows
// pictures, and braille for a look at the dots in a terminal.

#include "bytelayout.h"
#include "dotgrid.h"
#include "listingformat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Where a C array lies on AVR: Plain in RAM, as every static const there;
// Progmem in flash, marked PROGMEM and read with pgm_read_byte.
enum class CStorage { Plain, Progmem };

// What goes before the arrays of a header with CStorage::Progmem:
// <avr/pgmspace.h> on AVR, and PROGMEM defined as nothing where it is not
// defined, so that the header builds for any other target too.
extern const char CProgmemPreamble[];

// The stem of a header's guard and size macros for an array's identifier:
// the identifier in capitals, "DOTPRESS" in front of one that starts with
// "_" ("_" and a capital start names reserved to the compiler, and "LCD"
// would take lcd_2x.h's): lcd_logo -> LCD_LOGO, _2x -> DOTPRESS_2X.
QByteArray CMacroStem(const QString &identifier);

// "#define STEM_WIDTH W", "#define STEM_HEIGHT H" and "#define STEM_BYTES N",
// each line ended by LF.
QByteArray CSizeDefines(QByteArrayView stem, DotSize size, qsizetype bytes);

// A C header holding the bytes of a module of size in layout as
// "static const unsigned char IDENTIFIER[N] = { 0x01, 0xFF, ... };" (with
// Progmem, "IDENTIFIER[N] PROGMEM" after the preamble), eight bytes a line
// like the listing's DB lines, inside an include guard STEM_H whose first
// lines are the size defines, after a comment on the size, the layout and
// which dots are lit (senseNote, a sentence). LF line ends.
QByteArray FormatCArray(QByteArrayView bytes, const QString &identifier, DotSize size, ByteLayout layout,
                        QByteArrayView senseNote, CStorage storage = CStorage::Plain);

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

// The frames of an animation: each the dots of a module of size, packed in
// layout one after another, and how long each is shown.
struct PackedFrames
{
    DotSize size;
    ByteLayout layout = ByteLayout::RowsLsb;
    QByteArray bytes;                  // frameBytes() a frame
    std::vector<unsigned long> delays; // in milliseconds, one a frame

    int count() const { return int(delays.size()); }
    qsizetype frameBytes() const { return ByteCount(size, layout); }
    QByteArrayView frame(int index) const;
    DotGrid dots(int index) const { return UnpackDots(frame(index), size, layout); }
};

// "frame 3 of 12, 40 ms" for the frame of index (from 0): frames count from 1.
QByteArray FrameTitle(int index, int count, unsigned long delay);

// A C header of the frames: after the include guard the size defines of
// CSizeDefines (BYTES a frame's) and STEM_FRAMES, then
// "static const unsigned char IDENTIFIER[FRAMES][BYTES]", each frame's
// bytes in braces after its title, eight a line, and
// "static const unsigned long IDENTIFIER_delays[FRAMES]" in milliseconds;
// with Progmem both arrays marked PROGMEM after the preamble.
QByteArray FormatCFrames(const PackedFrames &frames, const QString &identifier, QByteArrayView senseNote,
                         CStorage storage = CStorage::Plain);

// Each frame's DB lines after a line "; frame 3 of 12, 40 ms", CR LF.
QByteArray FormatFramesListing(const PackedFrames &frames, ListingForm form);

// One PNG, as EncodePng draws it, of the frames side by side from the left,
// a column of unlit dots between each two.
QByteArray EncodeFramesPng(const PackedFrames &frames);

// Each frame's braille (BrailleText) under a line "frame 3 of 12, 40 ms".
QByteArray FramesBraille(const PackedFrames &frames);
