#pragma once

// The decoders behind PrepareAnyPicture, each into greys over a background
// of grey b: JPEG, PNG and GIF from input as they decode, row by row into
// rows, giving the failure or nothing; the others from the whole file in
// memory. Each uses greypicture.h and greyrows.h alone; none calls another.

#include "greypicture.h"
#include "greyrows.h"

#include <QBuffer>
#include <QByteArray>

class QImageReader;

QString DecodeJpeg(PictureInput &input, int b, GreyRows &rows);
QString DecodePng(PictureInput &input, int b, GreyRows &rows);
QString DecodeGif(PictureInput &input, int b, GreyRows &rows);

// PBM (plain P1 or raw P4), and raw PGM and PPM (P5, P6) of 8 bits; false
// for the other PGM and PPM, which are left to Qt's readers.
bool DecodeNetpbm(const QByteArray &bytes, int b, GreyPicture &picture);

// A buffer that notes a reader's seek past its end: a reader that meets a
// cut file that way may still return a picture.
class WatchedBuffer : public QBuffer
{
public:
    using QBuffer::QBuffer;
    bool pastEnd = false;
    bool seek(qint64 pos) override
    {
        pastEnd = pastEnd || pos > size();
        return QBuffer::seek(pos);
    }
};

// Through Qt's readers, reader reading bytes through a WatchedBuffer: the
// largest image of an ICO or CUR, an SVG drawn at the size it takes on
// module once turned by turn.
GreyPicture DecodeWithQt(QImageReader &reader, const QByteArray &bytes, const Preparation &how, DotSize module,
                         Turn turn, int b);
