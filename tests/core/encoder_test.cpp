#include "decodedpicture.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

// A picture held as RGB colours, row 0 at the top; it counts the pixels asked for.
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

constexpr RgbColour Black = Rgb(0, 0, 0);
constexpr RgbColour White = Rgb(255, 255, 255);
const ScanBounds Full{0, 239, 0, 63};
const PaletteColours BlackWhite{PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};
const BitmapHeaders OneBit{.biWidth = 240, .biHeight = 64, .biBitCount = 1};

QByteArray encode(const PixelSource &source, RgbColour on)
{
    QByteArray out;
    EncodeRows(source, Full, on, out);
    return out;
}

} // namespace

TEST(EncodeRows, WorkedExampleAndBytesRunningOnAcrossRows)
{
    FakeSource source(White);
    for (int x = 0; x < 64; ++x)
        source.set(x, 0, WorkedExampleOn(x) ? Black : White);
    // Line 3 holds the last six bytes of row 0 and the first two of row 1.
    source.set(239, 0, Black);  // bit 7 of byte 29
    source.set(0, 1, Black);    // bit 0 of byte 30
    source.set(15, 1, Black);   // bit 7 of byte 31
    source.set(232, 63, Black); // bit 0 of the very last byte
    const QByteArray listing = encode(source, Black);
    EXPECT_EQ(listing.size(), 10800);
    EXPECT_EQ(listing.toStdString(),
              UniformListing("00H", {{0, WorkedExampleLine},
                                     {3, "        DB 00H,00H,00H,00H,00H,80H,01H,80H;"},
                                     {239, "        DB 00H,00H,00H,00H,00H,00H,00H,01H;"}}).toStdString());
}

TEST(EncodeRows, SamplesInBothSenses)
{
    for (const char *name : {"bit-order", "dotpress-logo"}) {
        const QString bitmap = QStringLiteral(DOTPRESS_SAMPLES_DIR "/%1.bmp").arg(QLatin1String(name));
        BitmapHeaders headers;
        PaletteColours palette;
        ASSERT_TRUE(ReadBitmapHeaders(bitmap, headers, palette).ok);
        const DecodedPicture picture = DecodeBitmapFile(bitmap, headers, palette);
        for (const char *sense : {"", "-inverse"}) {
            QByteArray listing;
            EncodeRows(picture, Full, OnColour(palette, *sense ? Sense::Inverse : Sense::Normal), listing);
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
    EXPECT_EQ(encode(FakeSource(Rgb(255, 0, 0)), OnColour(same, Sense::Inverse)), UniformListing("FFH"));
    // A colour in neither entry is off in both senses.
    const FakeSource grey(Rgb(128, 128, 128));
    EXPECT_EQ(encode(grey, OnColour(BlackWhite, Sense::Normal)), UniformListing("00H"));
    EXPECT_EQ(encode(grey, OnColour(BlackWhite, Sense::Inverse)), UniformListing("00H"));
}

TEST(EncodeRows, PercentageStepsEvery154PixelsThen100AfterTheWrite)
{
    // One column of 15 360 pixels, so that each pixel is asked for alone.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lcd_x.txt"));
    const FakeSource source(White, 1, 15360);
    std::vector<int> shown, askedAt;
    const ConversionResult result = ConvertPicture(
        source, OneBit, ScanBounds{0, 0, 0, 15359}, BlackWhite, Sense::Normal, path, [&](int percent) {
            if (percent == 100) // the listing is on disk by now
                EXPECT_EQ(QFile(path).size(), 10800);
            shown.push_back(percent);
            askedAt.push_back(source.asked);
        });
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(shown.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(shown[std::size_t(i)], i + 1);
    EXPECT_EQ(askedAt[0], 154);
    EXPECT_EQ(askedAt[98], 15246);
}

TEST(ListingFile, ReplacedWholeOrNotAtAllAndOnlyForOneBit)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lcd_x.txt"));
    const auto convert = [&](const QString &target, const BitmapHeaders &headers = OneBit) {
        return ConvertPicture(FakeSource(Black), headers, Full, BlackWhite, Sense::Normal, target);
    };
    WriteFileOrFail(path, QByteArray(20000, 'x')); // longer than a listing
    ASSERT_TRUE(convert(path).ok());
    EXPECT_EQ(ReadFileOrEmpty(path), UniformListing("FFH"));

    // A write that runs out of room half way: a file size limit stands in for
    // a full disk, and holds for root too.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4000;
    setrlimit(RLIMIT_FSIZE, &small);
    const ConversionResult full = convert(path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(full.outcome, ConversionOutcome::WriteFailed);
    EXPECT_EQ(ReadFileOrEmpty(path), UniformListing("FFH"));

    const ConversionResult missing = convert(dir.filePath(QStringLiteral("no-such-folder/lcd_x.txt")));
    EXPECT_EQ(missing.outcome, ConversionOutcome::WriteFailed);
    EXPECT_FALSE(missing.error.isEmpty());
    BitmapHeaders eightBit = OneBit;
    eightBit.biBitCount = 8;
    EXPECT_EQ(convert(dir.filePath(QStringLiteral("lcd_8.txt")), eightBit).outcome, ConversionOutcome::NotOneBit);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lcd_x.txt")});
}
