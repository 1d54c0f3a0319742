#pragma once

#include "encoder.h"

#include <vector>

// A picture held as RGB colours, row 0 at the top, every pixel `fill` at first;
// it counts the pixels asked for.
struct FakeSource : PixelSource
{
    explicit FakeSource(RgbColour fill, int columns = 240, int rows = 64)
        : width(columns), pixels(std::size_t(columns) * rows, fill) {}
    void set(int x, int y, RgbColour colour) { pixels[std::size_t(y) * width + x] = colour; }
    RgbColour pixelColour(int x, int y) const override { ++asked; return pixels[std::size_t(y) * width + x]; }

    int width;
    std::vector<RgbColour> pixels;
    mutable int asked = 0;
};
