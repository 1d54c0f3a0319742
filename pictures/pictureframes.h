#pragma once

// Every frame of a picture file, one at a time, each as greys over the
// background: the frames of an animated GIF (giflib) or WebP (Qt's reader),
// composited as a browser shows them; any other picture, or a GIF or WebP
// of one frame, as one frame, decoded as DecodeAnyPicture decodes it.

#include "greypicture.h"

#include <QByteArray>

#include <functional>
#include <optional>

// The most frames an animation may have, counted before any is decoded.
inline constexpr int MaxFrames = 10000;

// Takes each frame in turn: its greys, and how long it is shown in
// milliseconds; none for a still picture.
using FrameSink = std::function<void(GreyPicture frame, std::optional<unsigned long> delay)>;

// Hands every frame of the whole file in bytes to sink, in order; the
// reason when it cannot (a frame's failure names the frame, counted from 1:
// "frame 3: the picture data is incomplete"), empty when every frame went.
// A cut file fails before any frame goes.
QString DecodeFrames(const QByteArray &bytes, const Preparation &how, DotSize module, Turn turn, const FrameSink &sink);
