#pragma once

// Preparing any picture for a module: fitting it to the module's size
// (240 x 64 for the window's), laying it over a background, grey, and the
// threshold or dither that turns it into dots.

#include "dotgrid.h"
#include "turn.h"

#include <QtGlobal>

#include <array>
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

// Contain: all of the picture, scaled to fit; cover: scaled to fill, the
// overflow cut; stretch: scaled to the module's size; none: laid 1:1.
enum class Fit { Contain, Cover, Stretch, None };
// Where the fitted picture lies on the module, and under cover and none
// which part of it is kept.
enum class Align { Center, Top, Bottom, Left, Right, TopLeft, TopRight, BottomLeft, BottomRight };
enum class Background { White, Black };
enum class Dither { None, FloydSteinberg, Atkinson, Bayer4, Bayer8 };

struct Preparation
{
    Fit fit = Fit::Contain;
    Background background = Background::White;
    int threshold = 128; // 0 to 256; undithered, 0 lights nothing and 256 everything
    Dither dither = Dither::None;
    Align align = Align::Center;
    bool autoThreshold = false; // the threshold chosen by OtsuThreshold instead
};

// Where the fitted picture lies on the module: its size w' x h' and its top
// left corner, 0 for the left (top) alignments, W - w' (H - h') for the
// right (bottom) ones and (W - w') / 2 ((H - h') / 2) otherwise, negative
// where cover or none lets it overflow. Stretch and a picture of the
// module's size lie at 0, 0 at the module's size; a side out of range gives
// 0 x 0.
struct Placement
{
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;

    bool operator==(const Placement &) const = default;
};

Placement PlaceOnModule(int width, int height, Fit fit, Align align, DotSize module);

// The grey of the background: 255 for white, 0 for black.
int BackgroundGrey(Background background);

// The grey of one pixel, red, green, blue and straight alpha, laid over a
// background of grey b: each colour over b by alpha (an opaque colour is
// itself: (c * 255 + 127) / 255 = c), then 299 : 587 : 114.
inline std::uint8_t GreyOver(int red, int green, int blue, int alpha, int b)
{
    const auto over = [&](int c) { return alpha == 255 ? c : (c * alpha + b * (255 - alpha) + 127) / 255; };
    return std::uint8_t((299 * over(red) + 587 * over(green) + 114 * over(blue) + 500) / 1000);
}

// The grey of every pixel laid over the background, rows from the top; empty
// for a picture that is not usable.
std::vector<std::uint8_t> GreysOver(const RgbaImage &image, Background background);

// The module's greys, rows from the top: the width x height greys scaled by
// area averaging to their placement and laid on a canvas of the background's
// grey (all background when greys does not hold width x height).
std::vector<std::uint8_t> FitGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                                   const Placement &place, Background background, DotSize module);

// FitGreys' area average fed a row at a time, so that no plane of the whole
// picture need be held: each row of the width x height picture, from the
// top, is added to the module's rows it overlaps as it comes.
class GreyFit
{
public:
    GreyFit(int width, int height, const Placement &place, Background background, DotSize module);
    // The picture's next row, width greys; rows past its height are ignored.
    void add(const std::uint8_t *row);
    // The module's greys; rows not added count as black.
    std::vector<std::uint8_t> greys() const;

private:
    int m_width;
    int m_height;
    Placement m_place;
    DotSize m_module;
    int m_background;
    int m_row = 0;                          // the next row's index
    std::vector<qint64> m_sums;             // the module's, weighted by area
    std::vector<qint64> m_across;           // the row at hand across each column in view
    std::vector<std::int32_t> m_weights;    // each column's overlaps with the pixels it spans
    std::vector<std::size_t> m_firstPixel;  // each column's first pixel
    std::vector<std::size_t> m_firstWeight; // where each column's weights start, and one past the last
};

// How many greys of each value, 0 to 255.
using GreyCounts = std::array<std::uint64_t, 256>;

// Adds the module's greys inside the placement (the margins left out) to
// counts; nothing when greys does not hold one grey a dot.
void CountGreys(const std::vector<std::uint8_t> &greys, DotSize module, const Placement &place, GreyCounts &counts);

// Otsu's threshold of counted greys: for each t from 1 to 255, with n0 greys
// below t summing to s0 of N greys summing to S, where 0 < n0 < N the score
// is (N s0 - n0 S)^2 / (n0 (N - n0)) in integers, exact for up to 2^40
// greys; the t of the greatest score, the smallest on a tie, or 128 when no t
// has one.
int OtsuThreshold(const GreyCounts &counts);

// The same of the module's greys inside the placement.
int OtsuThreshold(const std::vector<std::uint8_t> &greys, DotSize module, const Placement &place);

// The dots of the module's greys, lit where dark; the threshold is taken from
// 0 to 256. All unlit when greys does not hold one grey a dot.
DotGrid MakeDots(const std::vector<std::uint8_t> &greys, DotSize module, int threshold, Dither dither);

struct PreparedDots
{
    DotGrid dots;
    int threshold = 128; // the one used, chosen when how.autoThreshold
};

// The dots of the module's greys fitted at place, with how's threshold or
// the one OtsuThreshold chooses.
PreparedDots DotsOfFitted(const std::vector<std::uint8_t> &fitted, const Placement &place, const Preparation &how,
                          DotSize module);

// Grey over the background, turned, fitted, then made into dots.
PreparedDots Prepare(const RgbaImage &image, const Preparation &how, DotSize module, Turn turn = {});

// The module's greys of a picture already laid over how.background, turned
// and fitted as PrepareGreys fits it, and where it lies on the module.
struct FittedGreys
{
    std::vector<std::uint8_t> greys;
    Placement place;
};
FittedGreys FitPicture(std::vector<std::uint8_t> greys, int width, int height, const Preparation &how, DotSize module,
                       Turn turn = {});

// The same from the width x height greys of a picture already laid over
// how.background (GreysOver's, or a decoder's made row by row with GreyOver),
// moved in so that the picture is held once.
PreparedDots PrepareGreys(std::vector<std::uint8_t> greys, int width, int height, const Preparation &how,
                          DotSize module, Turn turn = {});
