// Otsu's threshold over counted greys, as --frames counts them over every
// frame: past 2^28 greys the square of N s0 - n0 S no longer fits in 128 bits.
#include "preparation.h"

#include <gtest/gtest.h>

TEST(OtsuThreshold, CountsOfAllFramesExactPastOneHundredTwentyEightBits)
{
    // Greys 60, 100 and 200 as 1 : 1 : 2 (N = 4, S = 560 a unit): splitting off 60 scores
    // (4 * 60 - 560)^2 / 3 = 34133, off 60 and 100 (4 * 160 - 2 * 560)^2 / 4 = 57600, so
    // T = 101 at every scale; at 2^37 a unit the squares reach 2^164.
    for (const int shift : {0, 20, 37}) {
        GreyCounts counts{};
        counts[60] = counts[100] = std::uint64_t(1) << shift;
        counts[200] = std::uint64_t(2) << shift;
        EXPECT_EQ(OtsuThreshold(counts), 101) << shift;
    }
}
