#pragma once

// What the GIF readers share: giflib reading a whole file in memory, the
// words of its failures, and where the rows of an interlaced image land.

#include <QByteArray>
#include <QString>

#include <gif_lib.h>

// The file giflib reads, and how far it has read; the GifFileType's UserData.
struct GifSource
{
    const QByteArray &bytes;
    qsizetype at = 0;
};

// giflib's input function over a GifSource.
int ReadGifSource(GifFileType *gif, GifByteType *data, int length);

// A giflib error as a reader's failure: running out of data is incomplete
// data, anything else undecodable.
QString GifFailure(int code);

// The row of the image that the n-th row stored lands on: an interlaced
// image stores every 8th row from 0, every 8th from 4, every 4th from 2,
// then every 2nd from 1.
int InterlacedRow(int n, int height);
