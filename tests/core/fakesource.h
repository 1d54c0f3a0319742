#pragma once

#include "encoder.h"

#include <vector>

// A picture held as RGB colours, row 0 at the top; every pixel starts as `fill`.
class FakeSource : public PixelSource
{
public:
    explicit FakeSource(RgbColour fill, int width = 240, int height = 64)
        : m_width(width), m_pixels(std::size_t(width) * height, fill) {}
    void set(int x, int y, RgbColour colour) { m_pixels[std::size_t(y) * m_width + x] = colour; }
    RgbColour pixelColour(int x, int y) const override { return m_pixels[std::size_t(y) * m_width + x]; }

private:
    int m_width;
    std::vector<RgbColour> m_pixels;
};
