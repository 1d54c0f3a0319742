#include "listingreader.h"

#include "encoder.h"
#include "bmpfixture.h"
#include "fakesource.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray join(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return text;
}

// Each dot of a 240 x 64 picture as the callback reports it: -1 not drawn.
struct Recorded
{
    std::vector<int> dots = std::vector<int>(LcdDots::Count, -1);
    int calls = 0;
    DotFn fn() { return [this](int x, int y, bool on) { ++calls; dots[std::size_t(y * LcdWidth + x)] = on; }; }
    int at(int x, int y) const { return dots[std::size_t(y * LcdWidth + x)]; }
};

// A picture with both colours mixed throughout, and its listing.
bool PatternOn(int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y; }

QByteArray PatternListing()
{
    FakeSource source(Rgb(255, 255, 255));
    for (int y = 0; y < LcdHeight; ++y)
        for (int x = 0; x < LcdWidth; ++x)
            source.set(x, y, PatternOn(x, y) ? Rgb(0, 0, 0) : Rgb(255, 255, 255));
    QByteArray listing;
    EncodeRows(source, ScanBounds{0, 239, 0, 63}, Rgb(0, 0, 0), listing);
    return listing;
}

const QByteArray WorkedBits = "00000001" "11111111" "10000000" "00001111"
                              "11110000" "00000000" "00000101" "11000000";

} // namespace

struct BitsCase { const char *name; const char *line; std::optional<QByteArray> bits; };

class ListingLineBitsTable : public ::testing::TestWithParam<BitsCase> {};

TEST_P(ListingLineBitsTable, CutRemoveSeparatorsAndExpandInOrder)
{
    EXPECT_EQ(ListingLineBits(GetParam().line), GetParam().bits);
}

// Characters other than digits and "H," are kept, a lone "H" too; an "H,"
// whose comma is cut stays. No digit's bits are expanded again.
INSTANTIATE_TEST_SUITE_P(Lines, ListingLineBitsTable, ::testing::Values(
    BitsCase{"worked", WorkedExampleLine, WorkedBits},
    BitsCase{"lowerCase", "        db 01h,ffh,80h,0fh,f0H,00h,05h,c0h;", WorkedBits},
    BitsCase{"everyDigit", "        DB 01H,23H,45H,67H,89H,ABH,CDH,EFH;",
             "0000000100100011010001010110011110001001101010111100110111101111"},
    BitsCase{"empty", "", QByteArray()},
    BitsCase{"thirteenCharacters", "        DB H;", QByteArray()},
    BitsCase{"twelveCharacters", "        DB ;", std::nullopt},
    BitsCase{"strayCharacterKept", "        DB 0G1H,H;", "0000G0001"},
    BitsCase{"loneH", "        DB 1H2H;", "0001H0010"},
    BitsCase{"commaCut", "        DB 1H,;", "0001H"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ReadListing, WorkedExampleAndA60BitLineThatDrawsOnly56Dots)
{
    Recorded rec;
    ListingReadResult result = ReadListing(QByteArray(WorkedExampleLine) + "\r\n", 240, 64, rec.fn());
    ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
    EXPECT_EQ(rec.calls, 64);
    for (int x = 0; x < 65; ++x)
        EXPECT_EQ(rec.at(x, 0), x == 64 ? -1 : int(WorkedExampleOn(x))) << "column " << x;
    EXPECT_EQ(result.column, 64);
    EXPECT_EQ(result.row, 0);

    // Fifteen digits: the incomplete group draws nothing, the next line goes on from dot 57.
    Recorded cut;
    result = ReadListing(join({"        DB 01H,FFH,80H,0FH,F0H,00H,05H,CH;", "        DB FFH;", RepeatedLine("FFH")}),
                         240, 64, cut.fn());
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(cut.calls, 56 + 8 + 64);
    for (int x = 0; x < 128; ++x)
        EXPECT_EQ(cut.at(x, 0), x < 56 ? int(WorkedExampleOn(x)) : 1) << x;
    EXPECT_EQ(result.column, 128);
}

TEST(ReadListing, FullListingFillsEveryRowAndEndsAtColumn0Row64)
{
    const QByteArray listing = PatternListing();
    // Both line ends, a last line without one, and lower case read the same.
    QByteArray bareLf = listing;
    bareLf.replace("\r\n", "\n");
    for (const QByteArray &text : {listing, bareLf, listing.chopped(2), listing.toLower()}) {
        LcdDots dots;
        const ListingReadResult result = ReadListing(text, dots);
        ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
        EXPECT_EQ(result.column, 0);
        EXPECT_EQ(result.row, 64);
        EXPECT_EQ(result.dots, LcdDots::Count);
        for (int i = 0; i < LcdDots::Count; ++i)
            ASSERT_EQ(dots.on(i % LcdWidth, i / LcdWidth), PatternOn(i % LcdWidth, i / LcdWidth)) << i;
    }
    Recorded rec;
    EXPECT_EQ(ReadListing(listing, 240, 64, rec.fn()).row, 64);
    EXPECT_EQ(rec.calls, LcdDots::Count);
    for (int i = 0; i < LcdDots::Count; ++i)
        ASSERT_EQ(rec.at(i % LcdWidth, i / LcdWidth), PatternOn(i % LcdWidth, i / LcdWidth)) << i;
}

TEST(ReadListing, LinesRunOnAcrossRowsAndEmptyOrBareLinesMoveNothing)
{
    // Line 3 (from 0) holds columns 192 to 239 of row 0 and 0 to 15 of row 1.
    QList<QByteArray> lines(5, RepeatedLine("00H"));
    lines[3] = RepeatedLine("FFH");
    LcdDots plain, withGaps;
    ASSERT_TRUE(ReadListing(join(lines), plain).ok());
    EXPECT_EQ(plain.drawnCount(), 5 * 64);
    for (int x = 0; x < LcdWidth; ++x) {
        EXPECT_EQ(plain.on(x, 0), x >= 192) << x;
        EXPECT_EQ(plain.on(x, 1), x < 16) << x;
    }
    ASSERT_TRUE(ReadListing("\r\n" + join(lines.mid(0, 2)) + "\n        DB H;\r\n\r\n" + join(lines.mid(2)) + "\n",
                            withGaps).ok());
    EXPECT_EQ(withGaps.drawnCount(), plain.drawnCount());
    EXPECT_EQ(withGaps.bytes(), plain.bytes());
}

TEST(ReadListing, LinesAfterAFullPictureDrawNothingAndOnlyTheirLengthCounts)
{
    const QByteArray full = PatternListing();
    Recorded rec;
    ListingReadResult result = ReadListing(
        full + join({RepeatedLine("FFH"), "        DB GG, junk that the walk never reaches;", "", RepeatedLine("00H")}),
        240, 64, rec.fn());
    ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
    EXPECT_EQ(rec.calls, LcdDots::Count);

    LcdDots dots;
    result = ReadListing(full + join({RepeatedLine("FFH"), "   DB 1;"}), dots);
    EXPECT_EQ(result.describe(), QStringLiteral("line 242: only 8 characters; a DB line has at least 13"));
    EXPECT_EQ(dots.drawnCount(), LcdDots::Count);
}

TEST(ReadListing, FaultsNameTheLineAndKeepWhatWasDrawn)
{
    struct Case { QByteArray text; const char *describe; qint64 dots; };
    const Case cases[] = {
        // The second group: "0000G000" drawn from its end, three dots, then G.
        {join(QList<QByteArray>(16, RepeatedLine("00H"))) + "        DB 01H,0GH,00H,00H,00H,00H,00H,00H;\r\n",
         "line 17: unexpected character 'G'", 16 * 64 + 8 + 3},
        {WorkedExampleLine + QByteArray("\r\n\r\n        DB ;\r\n") + WorkedExampleLine, // empty lines count
         "line 3: only 12 characters; a DB line has at least 13", 64},
        {"        DB 01H,\t1H,00H;\n", "line 1: unexpected character 0x09", 8 + 7},
        {"        DB 0\xE9" "1H;\n", "line 1: unexpected character 0xe9", 3},
        // A stray character in a group that is never complete is never reached.
        {"        DB 0GH;\r\n", "", 0},
    };
    for (const Case &c : cases) {
        LcdDots dots;
        const ListingReadResult result = ReadListing(c.text, dots);
        EXPECT_EQ(result.describe(), QString::fromLatin1(c.describe));
        EXPECT_EQ(result.dots, c.dots) << c.describe;
        EXPECT_EQ(dots.drawnCount(), c.dots) << c.describe;
    }
    LcdDots dots;
    const ListingReadResult missing = ReadListingFile(QStringLiteral("/nonexistent/lcd_x.txt"), dots);
    EXPECT_EQ(missing.problem, ListingProblem::CannotOpen);
    EXPECT_FALSE(missing.reason.isEmpty());
    EXPECT_EQ(missing.describe(), missing.reason);
}

TEST(ReadListing, BlocksSplitLinesAnywhereWithoutChangingTheResult)
{
    // Lines whose CR, cut characters or "H," would fall apart at a block end.
    const QByteArray tricky = join({WorkedExampleLine, "        DB 12H,H,", "        db 3Ch,5h,\r",
                                    "        DB A5H,;", "        DB 0ZZZH,Y"});
    for (int pad = 64 * 1024 - 160; pad <= 64 * 1024 + 4; ++pad) {
        const QByteArray text = QByteArray(pad, '\n') + tricky;
        LcdDots whole, blocks;
        const ListingReadResult expected = ReadListing(text, whole);
        QBuffer buffer;
        buffer.setData(text);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        const ListingReadResult got = ReadListing(buffer, blocks);
        ASSERT_EQ(got.describe().toStdString(), expected.describe().toStdString()) << pad;
        ASSERT_EQ(got.dots, expected.dots) << pad;
        ASSERT_EQ(blocks.bytes(), whole.bytes()) << pad;
    }
    // A line longer than the limit is refused, not held.
    QBuffer buffer;
    buffer.setData("        DB " + QByteArray(300'000, 'F') + "H;\r\n" + QByteArray(9, 'x'));
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    LcdDots dots;
    EXPECT_EQ(ReadListing(buffer, dots).describe(), QStringLiteral("line 1: longer than 65536 characters"));
    EXPECT_EQ(dots.drawnCount(), 0);
}
