#include "encoder.h"
#include "listingformat.h"

#include "bmpfixture.h"
#include "fakesource.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr RgbColour Black = Rgb(0, 0, 0);
constexpr RgbColour White = Rgb(255, 255, 255);

PaletteColours blackWhite()
{
    PaletteColours p{};
    p[1] = PaletteEntry{255, 255, 255, 0};
    return p;
}

const ScanBounds Full{0, 239, 0, 63};

QByteArray encode(const PixelSource &source, RgbColour on)
{
    QByteArray out;
    EncodeRows(source, Full, on, out);
    return out;
}

QList<QByteArray> lines(const QByteArray &listing)
{
    QList<QByteArray> result = listing.split('\n');
    EXPECT_TRUE(result.last().isEmpty()) << "the last line ends with CR LF";
    result.removeLast();
    for (QByteArray &line : result) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return result;
}

QByteArray repeated(const char *field, int count = Listing::Lines)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += RepeatedLine(field) + "\r\n";
    return out;
}

} // namespace

TEST(EncodeRows, WorkedExampleFirstLineAndFileStructure)
{
    FakeSource source(White);
    for (int x : {0, 8, 9, 10, 11, 12, 13, 14, 15, 23, 24, 25, 26, 27, 36, 37, 38, 39, 48, 50, 62, 63})
        source.set(x, 0, Black);
    const QByteArray listing = encode(source, Black);

    EXPECT_EQ(listing.size(), 10800);
    const QList<QByteArray> all = lines(listing);
    ASSERT_EQ(all.size(), 240);
    EXPECT_EQ(all[0], QByteArray("        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;"));
    for (const QByteArray &line : all)
        EXPECT_EQ(line.size(), 43);
    EXPECT_EQ(all[1], RepeatedLine("00H"));
}

TEST(EncodeRows, UniformPictures)
{
    EXPECT_EQ(encode(FakeSource(White), Black), repeated("00H"));
    EXPECT_EQ(encode(FakeSource(Black), Black), repeated("FFH"));
}

TEST(EncodeRows, BytesRunOnAcrossRowEnds)
{
    // Line 3 holds the last six bytes of row 0 and the first two of row 1.
    FakeSource source(White);
    source.set(239, 0, Black); // bit 7 of byte 29
    source.set(0, 1, Black);   // bit 0 of byte 30
    source.set(15, 1, Black);  // bit 7 of byte 31
    source.set(232, 63, Black); // bit 0 of the very last byte
    const QList<QByteArray> all = lines(encode(source, Black));
    EXPECT_EQ(all[3], QByteArray("        DB 00H,00H,00H,00H,00H,80H,01H,80H;"));
    EXPECT_EQ(all[239], QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,01H;"));
}

TEST(EncodeRows, SensesOfACheckerboard)
{
    // Black where x + y is even: even rows 55H, odd rows AAH; a row is 30 bytes.
    FakeSource source(White);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 240; ++x)
            if ((x + y) % 2 == 0)
                source.set(x, y, Black);
    const PaletteColours palette = blackWhite();
    const QByteArray normal = encode(source, OnColour(palette, Sense::Normal));
    const QByteArray inverse = encode(source, OnColour(palette, Sense::Inverse));

    const QList<QByteArray> n = lines(normal);
    EXPECT_EQ(n[0], RepeatedLine("55H"));
    EXPECT_EQ(n[3], QByteArray("        DB 55H,55H,55H,55H,55H,55H,AAH,AAH;"));
    EXPECT_EQ(n[4], RepeatedLine("AAH"));
    const QList<QByteArray> i = lines(inverse);
    EXPECT_EQ(i[0], RepeatedLine("AAH"));
    EXPECT_EQ(i[3], QByteArray("        DB AAH,AAH,AAH,AAH,AAH,AAH,55H,55H;"));
}

TEST(EncodeRows, PaletteOddities)
{
    // Both entries the same colour: that colour is on in both senses.
    PaletteColours same{};
    same[0] = same[1] = PaletteEntry{0, 0, 255, 99}; // red, reserved byte ignored
    EXPECT_EQ(OnColour(same, Sense::Normal), Rgb(255, 0, 0));
    EXPECT_EQ(encode(FakeSource(Rgb(255, 0, 0)), OnColour(same, Sense::Inverse)), repeated("FFH"));

    // A colour in neither entry is off in both senses.
    const PaletteColours bw = blackWhite();
    const FakeSource grey(Rgb(128, 128, 128));
    EXPECT_EQ(encode(grey, OnColour(bw, Sense::Normal)), repeated("00H"));
    EXPECT_EQ(encode(grey, OnColour(bw, Sense::Inverse)), repeated("00H"));

    // Red and blue are not interchangeable.
    PaletteColours blue{};
    blue[0] = PaletteEntry{255, 0, 0, 0};
    EXPECT_EQ(OnColour(blue, Sense::Normal), RgbColour(0xFF0000));
}

TEST(EncodeRows, PercentageRunsOneToNinetyNineThenHundredAfterTheWrite)
{
    QTemporaryDir dir;
    std::vector<int> shown;
    BitmapHeaders headers;
    headers.biWidth = 240;
    headers.biHeight = 64;
    headers.biBitCount = 1;
    const ConversionResult result = ConvertPicture(
        FakeSource(White), headers, Full, blackWhite(), Sense::Normal,
        dir.filePath(QStringLiteral("lcd_x.txt")), [&](int percent) {
            if (percent == 100) // the listing is on disk by now
                EXPECT_EQ(QFile(dir.filePath(QStringLiteral("lcd_x.txt"))).size(), 10800);
            shown.push_back(percent);
        });
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(shown.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(shown[std::size_t(i)], i + 1);
}

TEST(EncodeRows, ProgressStepsEveryHundredAndFiftyFourPixels)
{
    // Sources that count the pixels asked for show when each step is reported.
    class Counting : public PixelSource
    {
    public:
        mutable int asked = 0;
        RgbColour pixelColour(int, int) const override { ++asked; return 0; }
        void rowColours(int, int, int count, RgbColour *out) const override
        {
            for (int i = 0; i < count; ++i)
                out[i] = pixelColour(0, 0);
        }
    } source;
    std::vector<int> askedAt;
    QByteArray out;
    EncodeRows(source, ScanBounds{0, 0, 0, 15359}, 0, out, [&](int) { askedAt.push_back(source.asked); });
    ASSERT_EQ(askedAt.size(), 99u);
    EXPECT_EQ(askedAt.front(), 154);
    EXPECT_EQ(askedAt.back(), 15246);
}

TEST(ScanBoundsTest, FromHeadersAndOverflow)
{
    BitmapHeaders h;
    h.biWidth = 240;
    h.biHeight = 64;
    const auto bounds = SetScanBounds(h);
    ASSERT_TRUE(bounds);
    EXPECT_EQ(bounds->lastColumn, 239);
    EXPECT_EQ(bounds->lastRow, 63);
    h.biWidth = 32769;
    EXPECT_FALSE(SetScanBounds(h));
    h.biWidth = 0;
    EXPECT_FALSE(SetScanBounds(h));
}

class ListingFile : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    BitmapHeaders m_headers = [] { BitmapHeaders h; h.biWidth = 240; h.biHeight = 64; h.biBitCount = 1; return h; }();
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    ConversionResult convert(const QString &target, RgbColour fill = White)
    {
        return ConvertPicture(FakeSource(fill), m_headers, Full, blackWhite(), Sense::Normal, target);
    }
};

TEST_F(ListingFile, OverwritesWithoutAQuestion)
{
    WriteFileOrFail(path("lcd_x.txt"), "old listing, longer than nothing");
    ASSERT_TRUE(convert(path("lcd_x.txt"), Black).ok());
    EXPECT_EQ(ReadFileOrEmpty(path("lcd_x.txt")), repeated("FFH"));
    ASSERT_TRUE(convert(path("lcd_x.txt"), White).ok());
    EXPECT_EQ(ReadFileOrEmpty(path("lcd_x.txt")), repeated("00H"));
}

TEST_F(ListingFile, FailedWritesLeaveNothingNewAndTheOldListingAsItWas)
{
    // A missing folder, and a folder in the listing's place.
    const ConversionResult missing = convert(path("no-such-folder/lcd_x.txt"));
    EXPECT_EQ(missing.outcome, ConversionOutcome::WriteFailed);
    EXPECT_FALSE(missing.error.isEmpty());
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("lcd_dir.txt/inside")));
    EXPECT_FALSE(convert(path("lcd_dir.txt")).ok());

    // A write that runs out of room half way: a file size limit stands in for
    // a full disk, and holds for root too.
    WriteFileOrFail(path("lcd_x.txt"), "the previous listing");
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4000;
    setrlimit(RLIMIT_FSIZE, &small);
    const ConversionResult full = convert(path("lcd_x.txt"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(full.outcome, ConversionOutcome::WriteFailed);
    EXPECT_EQ(ReadFileOrEmpty(path("lcd_x.txt")), QByteArray("the previous listing"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lcd_x.txt")});
}

TEST_F(ListingFile, OtherDepthsWriteNothing)
{
    m_headers.biBitCount = 8;
    EXPECT_EQ(convert(path("lcd_x.txt")).outcome, ConversionOutcome::NotOneBit);
    EXPECT_FALSE(QFile::exists(path("lcd_x.txt")));
}
