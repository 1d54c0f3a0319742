// The encoder over the decoded samples and over pictures of one colour: the
// listing in both senses, the palette's odd cases and the percentage.
#include "decodedpicture.h"

#include "bmpfixture.h"

#include <QDir>
#include <QTemporaryDir>

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
    QByteArray out;
    EncodeRows(source, Full, on, out);
    return out;
}

} // namespace

TEST(EncodeRows, SamplesInBothSenses)
{
    for (const char *name : {"bit-order", "dotpress-logo"}) {
        const QString bitmap = QStringLiteral(DOTPRESS_SAMPLES_DIR "/%1.bmp").arg(QLatin1String(name));
        BitmapHeaders headers;
        PaletteColours palette;
        ASSERT_TRUE(ReadBitmapHeaders(bitmap, headers, palette).ok);
        const DecodedPicture picture = DecodeBitmapFile(bitmap, headers, palette);
        for (const char *sense : {"", "-inverse"}) {
            const QByteArray listing = encode(picture, OnColour(palette, *sense ? Sense::Inverse : Sense::Normal));
            EXPECT_EQ(listing, ReadFileOrEmpty(QStringLiteral(DOTPRESS_TEST_DATA "/lcd_%1%2.txt").arg(QLatin1String(name), QLatin1String(sense))));
        }
    }
}

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

TEST(ConvertPicture, PercentageEvery154PixelsThen100AfterTheWriteAndOnlyForOneBit)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lcd_x.txt"));
    BitmapHeaders headers{.biWidth = 240, .biHeight = 64, .biBitCount = 1};
    const OneColour source(Rgb(0, 0, 0));
    std::vector<int> shown, askedAt;
    const ConversionResult result = ConvertPicture(source, headers, Full, BlackWhite, Sense::Normal, path, [&](int percent) {
        if (percent == 100) // the listing is on disk by now
            EXPECT_EQ(ReadFileOrEmpty(path), UniformListing("FFH"));
        shown.push_back(percent);
        askedAt.push_back(source.asked);
    });
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(shown.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(shown[std::size_t(i)], i + 1);
    EXPECT_EQ(askedAt[0], 154);
    EXPECT_EQ(askedAt[98], 15246);

    headers.biBitCount = 8;
    EXPECT_EQ(ConvertPicture(source, headers, Full, BlackWhite, Sense::Normal, dir.filePath("lcd_8.txt")).outcome, ConversionOutcome::NotOneBit);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lcd_x.txt")});
}
