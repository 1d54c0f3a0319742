#pragma once

// Every frame of an animated GIF through giflib, one at a time, on the
// logical screen as a browser shows it: the screen starts transparent; each
// frame is drawn at its place, clipped to the screen, its transparent colour
// leaving what is under it; then its disposal method leaves it as it is
// (0, 1), clears its rectangle to transparent (2) or restores what was there
// before it was drawn (3). Transparent shows the background. The file is
// gone through once without decoding first, so that a cut file, too many
// frames or too large a screen or frame fail before any frame is decoded.

#include "pictureframes.h"

// Frames of the GIF in bytes, over a background of grey b, to sink, each
// delay the file's hundredths of a second times 10; the reason when it
// cannot, empty when every frame went.
QString DecodeGifFrames(const QByteArray &bytes, int b, const FrameSink &sink);
