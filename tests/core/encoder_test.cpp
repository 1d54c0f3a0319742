// The encoder over pictures of one colour: the palette's odd cases and the
// percentage (the samples' listings in both senses are Converter.formats').
#include "bitmapfile.h"
#include "bytelayout.h"
#include "encoder.h"
#include "listingformat.h"

#include "bmpfixture.h"

#include <gtest/gtest.h>

namespace {

// A picture of one colour; it counts the pixels asked for.
struct OneColour : PixelSource
{
    explicit OneColour(RgbColour c) : colour(c) {}
    RgbColour pixelColour(int, int) const override { return ++asked, colour; }
    RgbColour colour;
    mutable int asked = 0;
};

const ScanBounds Full{0, 239, 0, 63};
const PaletteColours BlackWhite{PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};

QByteArray encode(const PixelSource &source, RgbColour on)
{
    return FormatListing(PackDots(ScanDots(source, Full, on), ByteLayout::RowsLsb));
}

} // namespace

TEST(EncodeRows, PaletteOddities)
{
    // Both entries the same colour: that colour is on in both senses.
    PaletteColours same{};
    same[0] = same[1] = PaletteEntry{0, 0, 255, 99}; // red, reserved byte ignored
    EXPECT_EQ(OnColour(same, Sense::Normal), Rgb(255, 0, 0));
    EXPECT_EQ(encode(OneColour(Rgb(255, 0, 0)), OnColour(same, Sense::Inverse)), UniformListing("FFH"));
    // A colour in neither entry is off in both senses.
    EXPECT_EQ(encode(OneColour(Rgb(128, 128, 128)), OnColour(BlackWhite, Sense::Normal)), UniformListing("00H"));
    EXPECT_EQ(encode(OneColour(Rgb(128, 128, 128)), OnColour(BlackWhite, Sense::Inverse)), UniformListing("00H"));
}

TEST(ScanDots, PercentageEvery154Pixels)
{
    const OneColour source(Rgb(0, 0, 0));
    std::vector<int> shown, askedAt;
    ScanDots(source, Full, Rgb(0, 0, 0), [&](int percent) {
        shown.push_back(percent);
        askedAt.push_back(source.asked);
    });
    ASSERT_EQ(shown.size(), 99u);
    for (int i = 0; i < 99; ++i)
        EXPECT_EQ(shown[std::size_t(i)], i + 1);
    EXPECT_EQ(askedAt[0], 154);
    EXPECT_EQ(askedAt[98], 15246);
}
