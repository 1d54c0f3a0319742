#include "listingreader.h"

#include "encoder.h"
#include "bmpfixture.h"
#include "fakesource.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

const QByteArray WorkedLine("        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;");
// The columns of row 0 that the worked example lights; 0 to 63 are drawn.
const std::set<int> WorkedOn{0, 8, 9, 10, 11, 12, 13, 14, 15, 23, 24, 25, 26, 27,
                             36, 37, 38, 39, 48, 50, 62, 63};

QByteArray join(const QList<QByteArray> &lines, const QByteArray &end = "\r\n")
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + end;
    return text;
}

QList<QByteArray> repeated(const QByteArray &line, int count)
{
    return QList<QByteArray>(count, line);
}

// Each dot of a 240 x 64 picture as the callback reports it: -1 not drawn.
struct Recorded
{
    std::vector<int> dots = std::vector<int>(LcdDots::Count, -1);
    int calls = 0;
    DotFn fn()
    {
        return [this](int x, int y, bool on) {
            ++calls;
            dots[std::size_t(y * LcdWidth + x)] = on ? 1 : 0;
        };
    }
    int at(int x, int y) const { return dots[std::size_t(y * LcdWidth + x)]; }
};

// A picture with both colours mixed throughout, and its listing.
bool PatternOn(int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y; }

QByteArray PatternListing()
{
    FakeSource source(Rgb(255, 255, 255));
    for (int y = 0; y < LcdHeight; ++y)
        for (int x = 0; x < LcdWidth; ++x)
            if (PatternOn(x, y))
                source.set(x, y, Rgb(0, 0, 0));
    QByteArray listing;
    EncodeRows(source, ScanBounds{0, 239, 0, 63}, Rgb(0, 0, 0), listing);
    return listing;
}

} // namespace

TEST(ListingLineBits, CutRemoveSeparatorsAndExpandInOrder)
{
    const QByteArray worked = "00000001" "11111111" "10000000" "00001111"
                              "11110000" "00000000" "00000101" "11000000";
    EXPECT_EQ(ListingLineBits(WorkedLine), worked);
    EXPECT_EQ(ListingLineBits("        db 01h,ffh,80h,0fh,f0H,00h,05h,c0h;"), worked);
    // Every digit, both cases: the ordered replacements never touch what an
    // earlier one wrote.
    EXPECT_EQ(ListingLineBits("        DB 01H,23H,45H,67H,89H,ABH,CDH,EFH;"),
              QByteArray("0000000100100011010001010110011110001001101010111100110111101111"));
    EXPECT_EQ(ListingLineBits("        DB 01h,23h,45h,67h,89h,abh,cdh,efh;"),
              ListingLineBits("        DB 01H,23H,45H,67H,89H,ABH,CDH,EFH;"));

    EXPECT_EQ(ListingLineBits(""), QByteArray());
    EXPECT_EQ(ListingLineBits("        DB H;"), QByteArray());
    EXPECT_EQ(ListingLineBits("        DB "), std::nullopt);
    // Anything else is kept, a lone "H" too; an "H," whose comma is cut stays.
    EXPECT_EQ(ListingLineBits("        DB 0G1H,H;"), QByteArray("0000G0001"));
    EXPECT_EQ(ListingLineBits("        DB 1H2H;"), QByteArray("0001H0010"));
    EXPECT_EQ(ListingLineBits("        DB 1H,;"), QByteArray("0001H"));
}

TEST(ReadListing, WorkedExampleDrawsRowZero)
{
    Recorded rec;
    const ListingReadResult result = ReadListing(WorkedLine + "\r\n", 240, 64, rec.fn());
    ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
    EXPECT_EQ(rec.calls, 64);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(rec.at(x, 0), WorkedOn.count(x) ? 1 : 0) << "column " << x;
    EXPECT_EQ(rec.at(64, 0), -1);
    EXPECT_EQ(result.column, 64);
    EXPECT_EQ(result.row, 0);
}

TEST(ReadListing, FullListingFillsEveryRow)
{
    const QByteArray listing = PatternListing();
    LcdDots dots;
    Recorded rec;
    // Both line ends, a last line without one, and lower case read the same.
    QByteArray bareLf = listing;
    bareLf.replace("\r\n", "\n");
    for (const QByteArray &text : {listing, bareLf, listing.chopped(2), listing.toLower()}) {
        const ListingReadResult result = ReadListing(text, dots);
        ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
        EXPECT_EQ(result.column, 0);
        EXPECT_EQ(result.row, 64);
        EXPECT_EQ(result.dots, LcdDots::Count);
        for (int y = 0; y < LcdHeight; ++y)
            for (int x = 0; x < LcdWidth; ++x)
                ASSERT_EQ(dots.on(x, y), PatternOn(x, y)) << x << ", " << y;
    }
    const ListingReadResult result = ReadListing(listing, 240, 64, rec.fn());
    EXPECT_EQ(result.row, 64);
    EXPECT_EQ(rec.calls, LcdDots::Count);
    for (int y = 0; y < LcdHeight; ++y)
        for (int x = 0; x < LcdWidth; ++x)
            ASSERT_EQ(rec.at(x, y), PatternOn(x, y) ? 1 : 0) << x << ", " << y;
}

TEST(ReadListing, LinesRunOnAcrossRowsAndEmptyOrBareLinesMoveNothing)
{
    // Line 3 (from 0) holds columns 192 to 239 of row 0 and 0 to 15 of row 1.
    QList<QByteArray> lines = repeated(RepeatedLine("00H"), 5);
    lines[3] = RepeatedLine("FFH");
    LcdDots plain;
    ASSERT_TRUE(ReadListing(join(lines), plain).ok());
    EXPECT_EQ(plain.drawnCount(), 5 * 64);
    for (int x = 0; x < LcdWidth; ++x) {
        EXPECT_EQ(plain.on(x, 0), x >= 192) << x;
        EXPECT_EQ(plain.on(x, 1), x < 16) << x;
    }

    QByteArray padded = "\r\n" + join(lines.mid(0, 2)) + "\n        DB H;\r\n\r\n"
                        + join(lines.mid(2)) + "\n";
    LcdDots withGaps;
    ASSERT_TRUE(ReadListing(padded, withGaps).ok());
    EXPECT_EQ(withGaps.drawnCount(), plain.drawnCount());
    EXPECT_EQ(withGaps.bytes(), plain.bytes());
}

TEST(ReadListing, IncompleteGroupDrawsNothingAndTheNextLineGoesOn)
{
    // Fifteen digits, 60 bits: 56 dots, then the next line from the 57th.
    Recorded rec;
    const ListingReadResult result = ReadListing(
        join({"        DB 01H,FFH,80H,0FH,F0H,00H,05H,CH;", "        DB FFH;",
              RepeatedLine("FFH")}),
        240, 64, rec.fn());
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(rec.calls, 56 + 8 + 64);
    for (int x = 0; x < 56; ++x)
        EXPECT_EQ(rec.at(x, 0), WorkedOn.count(x) ? 1 : 0) << x;
    for (int x = 56; x < 128; ++x)
        EXPECT_EQ(rec.at(x, 0), 1) << x;
    EXPECT_EQ(result.column, 128);
}

TEST(ReadListing, LinesAfterAFullPictureDrawNothingAndOnlyTheirLengthCounts)
{
    const QByteArray full = PatternListing();
    const QByteArray junk = "        DB GG, junk that the walk never reaches;";
    Recorded rec;
    ListingReadResult result =
        ReadListing(full + join({RepeatedLine("FFH"), junk, "", RepeatedLine("00H")}), 240, 64,
                    rec.fn());
    ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
    EXPECT_EQ(rec.calls, LcdDots::Count);
    EXPECT_EQ(rec.at(239, 63), PatternOn(239, 63) ? 1 : 0);

    LcdDots dots;
    result = ReadListing(full + join({RepeatedLine("FFH"), "   DB 1;"}), dots);
    EXPECT_EQ(result.problem, ListingProblem::LineTooShort);
    EXPECT_EQ(result.describe(), QStringLiteral("line 242: only 8 characters; a DB line has at least 13"));
    EXPECT_EQ(dots.drawnCount(), LcdDots::Count);
}

TEST(ReadListing, FaultsNameTheLineAndKeepWhatWasDrawn)
{
    struct Case { QByteArray text; const char *describe; qint64 dots; };
    const QByteArray sixteen = join(repeated(RepeatedLine("00H"), 16));
    const Case cases[] = {
        // The second group: "0000G000" drawn from its end, three dots, then G.
        {sixteen + "        DB 01H,0GH,00H,00H,00H,00H,00H,00H;\r\n",
         "line 17: unexpected character 'G'", 16 * 64 + 8 + 3},
        {WorkedLine + "\r\n\r\n        DB\r\n" + WorkedLine, // empty lines count
         "line 3: only 10 characters; a DB line has at least 13", 64},
        {"        DB 01H,\t1H,00H;\n", "line 1: unexpected character 0x09", 8 + 7},
        {"        DB 0\xE9" "1H;\n", "line 1: unexpected character 0xe9", 3},
    };
    for (const Case &c : cases) {
        LcdDots dots;
        const ListingReadResult result = ReadListing(c.text, dots);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.describe(), QString::fromLatin1(c.describe));
        EXPECT_EQ(result.dots, c.dots) << c.describe;
        EXPECT_EQ(dots.drawnCount(), c.dots) << c.describe;
    }

    // A stray character in a group that is never complete is never reached.
    LcdDots dots;
    EXPECT_TRUE(ReadListing("        DB 0GH;\r\n", dots).ok());

    const ListingReadResult missing = ReadListingFile(QStringLiteral("/nonexistent/lcd_x.txt"), dots);
    EXPECT_EQ(missing.problem, ListingProblem::CannotOpen);
    EXPECT_EQ(missing.line, 0);
    EXPECT_FALSE(missing.reason.isEmpty());
    EXPECT_EQ(missing.describe(), missing.reason);
    EXPECT_EQ(dots.drawnCount(), 0);
}

TEST(ReadListing, BlocksSplitLinesAnywhereWithoutChangingTheResult)
{
    // Lines whose CR, cut characters or "H," would fall apart at a block end.
    const QByteArray tricky = join({WorkedLine, "        DB 12H,H,", "        db 3Ch,5h,\r",
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
}

TEST(ReadListing, HostileFilesAreReadInBoundedSteps)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("lcd_big.txt"));
    const QByteArray full = PatternListing();
    LcdDots dots;

    // Megabytes of separators draw nothing; the picture comes after them.
    WriteFileOrFail(path, "        DB " + QByteArray(4 << 20, 'H').replace("HH", "H,") + "H;\r\n" + full);
    ListingReadResult result = ReadListingFile(path, dots);
    ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
    EXPECT_EQ(dots.drawnCount(), LcdDots::Count);

    // One line of megabytes of digits fills the picture; the rest only counts.
    WriteFileOrFail(path, "        DB " + QByteArray(4 << 20, 'F') + "H;\r\n" + QByteArray(9, 'x'));
    result = ReadListingFile(path, dots);
    EXPECT_EQ(result.describe(), QStringLiteral("line 2: only 9 characters; a DB line has at least 13"));
    EXPECT_EQ(dots.drawnCount(), LcdDots::Count);
    EXPECT_TRUE(dots.on(239, 63));

    // A hundred thousand lines after the picture are still read to the end.
    WriteFileOrFail(path, full + join(repeated(RepeatedLine("00H"), 100'000)) + "DB\r\n");
    result = ReadListingFile(path, dots);
    EXPECT_EQ(result.line, 240 + 100'000 + 1);

}
