#pragma once

// Preparing any picture for the module: fitting it to 240 x 64, laying it
// over a background, grey, and the threshold or dither that turns it into dots.

#include "bitmapfile.h"
#include "pixelsource.h"

#include <cstdint>
#include <vector>

// A decoded picture: 4 bytes a pixel, red, green, blue, alpha (straight, not
// premultiplied), rows from the top.
struct RgbaImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// The longest side taken: the scaled sides then stay within an int.
inline constexpr int MaxPictureSide = 1 << 23;

// True when both sides are 1 to MaxPictureSide and rgba holds every pixel.
bool IsUsable(const RgbaImage &image);

enum class Fit { Contain, Cover, Stretch };
enum class Background { White, Black };
enum class Dither { None, FloydSteinberg, Atkinson, Bayer4, Bayer8 };

struct Preparation
{
    Fit fit = Fit::Contain;
    Background background = Background::White;
    int threshold = 128; // 0 to 256; undithered, 0 lights nothing and 256 everything
    Dither dither = Dither::None;
};

// Where the scaled picture lies on the module: its size and its top left
// corner (negative for cover, which cuts the overflow on both sides alike).
// A 240 x 64 picture lies at 0, 0 unscaled; a side out of range gives 0 x 0.
struct Placement
{
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;

    bool operator==(const Placement &) const = default;
};

Placement PlaceOnLcd(int width, int height, Fit fit);

// The grey of the background: 255 for white, 0 for black.
int BackgroundGrey(Background background);

// The grey of one pixel, red, green, blue and straight alpha, laid over a
// background of grey b: each colour over b by alpha, then 299 : 587 : 114.
inline std::uint8_t GreyOver(int red, int green, int blue, int alpha, int b)
{
    const auto over = [&](int c) { return (c * alpha + b * (255 - alpha) + 127) / 255; };
    return std::uint8_t((299 * over(red) + 587 * over(green) + 114 * over(blue) + 500) / 1000);
}

// The grey of every pixel laid over the background, rows from the top; empty
// for a picture that is not usable.
std::vector<std::uint8_t> GreysOver(const RgbaImage &image, Background background);

// The 240 x 64 greys: the width x height greys scaled by area averaging to
// their placement and laid on a canvas of the background's grey (all
// background when greys does not hold width x height).
std::vector<std::uint8_t> FitGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                                   Fit fit, Background background);

// The 240 x 64 dots of 240 x 64 greys, 1 where lit (a dark pixel); the
// threshold is taken from 0 to 256. All unlit when lcdGreys has another size.
std::vector<std::uint8_t> Dots(const std::vector<std::uint8_t> &lcdGreys, int threshold,
                               Dither dither);

// The prepared dots as a picture: a lit dot reports black, an unlit one (and
// any pixel outside the module) white. Encoded with black as the on colour it
// gives the listing's bytes; with white, their complement.
struct PreparedPicture final : PixelSource
{
    std::vector<std::uint8_t> dots; // LcdWidth * LcdHeight, 1 where lit

    RgbColour pixelColour(int x, int y) const override;
};

// Grey over the background, fitted, then turned into dots.
PreparedPicture Prepare(const RgbaImage &image, const Preparation &how);

// The same from the width x height greys of a picture already laid over
// how.background (GreysOver's, or a decoder's made row by row with GreyOver).
PreparedPicture PrepareGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                             const Preparation &how);
