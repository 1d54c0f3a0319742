#pragma once

// The decoders behind DecodeAnyPicture, each from the whole file in memory
// into greys over a background of grey b. Each uses greypicture.h alone;
// none calls another.

#include "greypicture.h"

#include <QBuffer>
#include <QByteArray>

class QImageReader;

GreyPicture DecodeJpeg(const QByteArray &bytes, int b);
GreyPicture DecodePng(const QByteArray &bytes, int b);
GreyPicture DecodeGif(const QByteArray &bytes, int b);

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
