#pragma once

// Preparing any picture for a module: fitting it to the module's size
// (240 x 64 for the window's), laying it over a background, grey, and the
// threshold or dither that turns it into dots.

#include "dotgrid.h"

#include <QtGlobal>

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
// A picture of the module's size lies at 0, 0 unscaled; a side out of range
// gives 0 x 0.
struct Placement
{
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;

    bool operator==(const Placement &) const = default;
};

Placement PlaceOnModule(int width, int height, Fit fit, DotSize module);

// The grey of the background: 255 for white, 0 for black.
int BackgroundGrey(Background background);

// The grey of every pixel laid over the background, rows from the top; empty
// for a picture that is not usable.
std::vector<std::uint8_t> GreysOver(const RgbaImage &image, Background background);

// The module's greys, rows from the top: the width x height greys scaled by
// area averaging to their placement and laid on a canvas of the background's
// grey (all background when greys does not hold width x height).
std::vector<std::uint8_t> FitGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                                   Fit fit, Background background, DotSize module);

// The dots of the module's greys, lit where dark; the threshold is taken from
// 0 to 256. All unlit when greys does not hold one grey a dot.
DotGrid MakeDots(const std::vector<std::uint8_t> &greys, DotSize module, int threshold, Dither dither);

// Grey over the background, fitted, then turned into dots.
DotGrid Prepare(const RgbaImage &image, const Preparation &how, DotSize module);
