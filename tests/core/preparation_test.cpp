// Worked examples of each dot rule, placements, alpha, area averaging; the whole
// preparation through the converter is in tests/cli (Converter.pictures).
#include "preparation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr int Pixels = LcdWidth * LcdHeight;
using Greys = std::vector<std::uint8_t>;

// The first length dots of row y, '1' where lit.
std::string Row(const DotGrid &dots, int y, int length = LcdWidth)
{
    std::string row;
    for (int x = 0; x < length; ++x)
        row += dots.lit(x, y) ? '1' : '0';
    return row;
}

int LitCount(const DotGrid &dots)
{
    int lit = 0;
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x)
            lit += dots.lit(x, y);
    return lit;
}

} // namespace

TEST(MakeDots, WorkedExamplesOfEachRule)
{
    struct Case { Dither dither; int grey, threshold; std::vector<std::string> rows; int lit = -1; };
    const Case cases[] = {
        {Dither::None, 128, 128, {"00000000"}, 0}, {Dither::None, 127, 128, {"11111111"}, Pixels},
        {Dither::None, 0, 0, {"00000000"}, 0},     {Dither::None, 255, 256, {"11111111"}, Pixels},
        // M4 rows 0 8 2 10 / 12 4 14 6 / 3 11 1 9 / 15 7 13 5. At 128 a dot is lit when
        // 32 * 128 < 255 * (2M + 1), i.e. M >= 8: half the dots; at 136 (4352) when M >= 9.
        {Dither::Bayer4, 128, 128, {"01010101", "10101010", "01010101", "10101010", "01010101"}, Pixels / 2},
        {Dither::Bayer4, 136, 128, {"0001", "1010", "0101", "1010"}},
        // M8 row 0 is 0 32 8 40 2 34 10 42; at 34 lit when 128 * 34 = 4352 < 255 * (2M + 1): M >= 9.
        {Dither::Bayer8, 34, 128, {"01010111"}},
        // 100 lit (+43), 143 unlit (e -112: -49), 51, 122 lit, 153 unlit. (0,1) 100 + 31 - 21 = 110 lit;
        // (1,1) 100 + 6 - 35 + 9 + 48 = 128 unlit (e -127); (2,1) 100 - 7 + 15 + 22 - 55 = 75 lit.
        {Dither::FloydSteinberg, 100, 128, {"10110", "101"}},
        // 98 lit (+42), 140 unlit (e -115: -50), 48; (0,1) 98 + 30 - 21 = 107 lit (+46); (1,1) 98 + 6 - 35 + 9 + 46 = 124.
        {Dither::FloydSteinberg, 98, 128, {"10", "11"}},
        // Row 0: 53, 76, 86, 90, 92 lit (+23, +33, +37, +39). Row 1: 53 + 16 + 14 = 83 lit (+36);
        // 53 + 3 + 23 + 16 + 36 = 131 unlit (e -124: -54); 45 lit (+19); 53 + 5 + 28 + 17 + 19 = 122.
        {Dither::FloydSteinberg, 53, 128, {"1111", "1011"}},
        // Truncated: 150 unlit (e -105: -45), 105 lit (+45), 195 unlit (-26), 124 lit (+54),
        // 204 unlit (e -51: -22), 128 unlit (flooring to -23 would light it).
        {Dither::FloydSteinberg, 150, 128, {"010100"}},
        // e / 8 to (x+1,y), (x+2,y), (x-1,y+1), (x,y+1), (x+1,y+1), (x,y+2). Row 0: 100, 112, 126 lit,
        // 129 unlit, 100: eighths 12, 14, 15, -15, 12. Row 1: 126 lit (15), 156 unlit (-12), 117 lit
        // (14), 114 (14). Row 2: 100 + 12 + 15 - 12 = 115 lit (14), 145 unlit (-13), 132 unlit.
        {Dither::Atkinson, 100, 128, {"11101", "101", "100"}},
        // Truncated: 125 lit (15), 140 unlit (-14), 126, 126 lit (15), 155 unlit (-12), 128 unlit.
        {Dither::Atkinson, 125, 128, {"101100"}},
    };
    for (const Case &c : cases) {
        const DotGrid dots = MakeDots(Greys(Pixels, std::uint8_t(c.grey)), LcdSize, c.threshold, c.dither);
        for (std::size_t y = 0; y < c.rows.size(); ++y)
            EXPECT_EQ(Row(dots, int(y), int(c.rows[y].size())), c.rows[y]) << int(c.dither) << ", grey " << c.grey;
        if (c.lit >= 0)
            EXPECT_EQ(LitCount(dots), c.lit) << int(c.dither);
    }
}

TEST(Fit, PlacementsInWholePixels)
{
    struct Case { int width, height; Fit fit; Placement expected; };
    const Case cases[] = {
        {100, 100, Fit::Contain, {64, 64, 88, 0}},   {100, 100, Fit::Cover, {240, 240, 0, -88}},
        {100, 100, Fit::Stretch, {240, 64, 0, 0}},   {480, 64, Fit::Cover, {480, 64, -120, 0}},
        {240, 64, Fit::Contain, {240, 64, 0, 0}},    {240, 64, Fit::Cover, {240, 64, 0, 0}},
        {3, 2, Fit::Contain, {96, 64, 72, 0}},       {0, 5, Fit::Contain, {0, 0, 0, 0}},
        {160, 1, Fit::Contain, {240, 2, 0, 31}},     {960, 1, Fit::Contain, {240, 1, 0, 31}}, // 1.5 to 2, 0.25 to 1
    };
    for (const Case &c : cases)
        EXPECT_TRUE(PlaceOnModule(c.width, c.height, c.fit, Align::Center, LcdSize) == c.expected) << c.width << " x " << c.height;
}

TEST(GreysOver, AlphaOverBothBackgrounds)
{
    // Red at a = 128 over white: (255*128 + 255*127 + 127) / 255 = 255, (255*127 + 127) / 255 = 127, grey
    // (299*255 + 587*127 + 114*127 + 500) / 1000 = 165; over black 128, 0, 0: grey 38. Transparent: the
    // background. (10, 200, 30) opaque: 124. (1, 1, 1) at a = 128: 128 over white, 1 over black.
    const RgbaImage image{4, 1, {255, 0, 0, 128, 10, 200, 30, 0, 10, 200, 30, 255, 1, 1, 1, 128}};
    EXPECT_EQ(GreysOver(image, Background::White), Greys({165, 255, 124, 128}));
    EXPECT_EQ(GreysOver(image, Background::Black), Greys({38, 0, 124, 1}));
}

TEST(FitGreys, AreaAveraging)
{
    // 7 x 3 of grey 77, contained: 149 x 64 (7 * 64 / 3 = 149.3) at column 45, all 77.
    const Greys contained = FitGreys(Greys(21, 77), 7, 3, PlaceOnModule(7, 3, Fit::Contain, Align::Center, LcdSize),
                                     Background::Black, LcdSize);
    EXPECT_EQ(std::count(contained.begin(), contained.end(), 77), 149 * 64);
    EXPECT_EQ(Greys(contained.end() - 196, contained.end() - 194), Greys({0, 77})); // columns 44, 45 of row 63
    // 0 then six 255 stretched: column 34 covers [238, 245) of units where pixel 1 starts
    // at 240, so (5 * 255 + 3) / 7 = 182; columns 33 and 35 lie within one pixel.
    const Greys stretched = FitGreys({0, 255, 255, 255, 255, 255, 255}, 7, 1, {240, 64, 0, 0}, Background::White, LcdSize);
    EXPECT_EQ(Greys(stretched.begin() + 33, stretched.begin() + 36), Greys({0, 182, 255}));
    // A 480 x 128 checkerboard of 0 and 255: each dot averages two of each, 127.5 rounds up.
    Greys checks(480 * 128);
    for (std::size_t p = 0; p < checks.size(); ++p)
        checks[p] = (p % 480 + p / 480) % 2 ? 255 : 0;
    EXPECT_EQ(FitGreys(checks, 480, 128, {240, 64, 0, 0}, Background::White, LcdSize), Greys(Pixels, 128));
}
