#pragma once

// The decoders behind DecodeAnyPicture that do not go through Qt, each from
// the whole file in memory into greys over a background of grey b, and what
// they share: the size check and the words of their failures.

#include "anypicture.h"

// Takes width x height for picture, reserving its greys, or sets its error
// when a side is below 1 or the picture has more than MaxPicturePixels.
bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height);

// The failures every decoder reports alike.
QString IncompleteData();
QString Undecodable(const QString &reason);

GreyPicture DecodeJpeg(const QByteArray &bytes, int b);
GreyPicture DecodePng(const QByteArray &bytes, int b);
GreyPicture DecodeGif(const QByteArray &bytes, int b);
