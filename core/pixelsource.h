#pragma once

// The colours the encoder scans: a source of one RGB colour per pixel.

#include <cstdint>

// An RGB colour: red + 256 * green + 65536 * blue, each 0 to 255.
using RgbColour = std::uint32_t;

inline constexpr RgbColour Rgb(int red, int green, int blue)
{
    return RgbColour(red) | (RgbColour(green) << 8) | (RgbColour(blue) << 16);
}

// Gives the colour of each pixel of a picture, (0, 0) its top left.
class PixelSource
{
public:
    virtual ~PixelSource() = default;
    virtual RgbColour pixelColour(int x, int y) const = 0;
};
