// The listing's text: a line, the output name, and the reader that turns a
// listing back into dots.
#include "bytelayout.h"
#include "listingformat.h"
#include "listingreader.h"
#include "outputnaming.h"

#include "bmpfixture.h"

#include <QDir>

#include <gtest/gtest.h>


TEST(ListingLine, WorkedExampleAndAShortLine)
{
    EXPECT_EQ(FormatListing(QByteArray("\x01\xFF\x80\x0F\xF0\x00\x05\xC0", 8)), QByteArray(WorkedExampleLine) + "\r\n");
    EXPECT_EQ(FormatListing(QByteArray("\x0A\xA0\x10", 3)), QByteArray("        DB 0AH,A0H,10H;\r\n"));
}

TEST(OutputNaming, LcdPrefixAndTxtForEveryBmpWhateverItsCase)
{
    // The platform's separator joins; at a root the two stand in a row.
    const auto named = [](const char *folder, const char *file) {
        return QDir::fromNativeSeparators(WindowListingPath(QString::fromUtf8(folder), QString::fromUtf8(file)));
    };
    EXPECT_EQ(named("/work", "LOGO.BMP"), "/work/lcd_LOGO.txt");
    EXPECT_EQ(named("/work", "Logo.Bmp"), "/work/lcd_Logo.txt");
    EXPECT_EQ(named("/work", "a.bmp.bmp"), "/work/lcd_a.txt.txt");
    EXPECT_EQ(named("/", "logo.bmp"), "//lcd_logo.txt");
    // Names without ".bmp": the last extension replaced, or one added.
    EXPECT_EQ(OutputName("logo", ".h"), "lcd_logo.h");
    EXPECT_EQ(OutputName("logo.dib", ".bin"), "lcd_logo.bin");
    EXPECT_EQ(OutputName("a.b.png", ".txt"), "lcd_a.b.txt");
    EXPECT_EQ(OutputName(".hidden", ".txt"), "lcd_.hidden.txt");
    EXPECT_EQ(OutputPathBeside("caf\xe9.BMP", ".txt"), "./lcd_caf\xe9.txt");
    EXPECT_EQ(BitmapPathForListing("d/lcd_x.TXT"), "d/lcd_x.bmp");
    EXPECT_EQ(BitmapPathForListing("x.lst"), "x.lst.bmp");
}

namespace {

// The worked example's 64 dots, and lines of one field.
const QByteArray Worked = WorkedExampleDots;
QByteArray Lines(const char *field, int count) { return (RepeatedLine(field) + "\r\n").repeated(count); }

} // namespace

// dots: every dot drawn, in drawing order, "1" on and "0" off.
struct ReaderCase { const char *name; QByteArray text; const char *describe; QByteArray dots; };

class Reader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(Reader, DrawsDotByDotOrNamesTheLine)
{
    QByteArray drawn;
    const ListingReadResult result = ReadListing(GetParam().text, 240, 64, [&](int x, int y, bool on) {
        ASSERT_TRUE(x < 240 && y * 240 + x == drawn.size()) << x << "," << y;
        drawn += on ? '1' : '0';
    });
    EXPECT_EQ(result.describe(), QString::fromLatin1(GetParam().describe));
    EXPECT_EQ(drawn, GetParam().dots);
    EXPECT_EQ(result.column + 240 * result.row, drawn.size());
}

INSTANTIATE_TEST_SUITE_P(Listings, Reader, ::testing::Values(
    ReaderCase{"workedExample", QByteArray(WorkedExampleLine) + "\r\n", "", Worked},
    ReaderCase{"lowerCaseAndLf", "        db 01h,ffh,80h,0fh,f0H,00h,05h,c0h;\n", "", Worked},
    ReaderCase{"everyDigit", "        DB 01H,23H,45H,67H,89H,ABH,CDH,EFH;", "",
               "1000000011000100101000101110011010010001110101011011001111110111"},
    ReaderCase{"sixtyBitsDraw56", "        DB 01H,FFH,80H,0FH,F0H,00H,05H,CH;\r\n        DB FFH;\r\n", "",
               Worked.left(56) + "11111111"},
    ReaderCase{"runOnAcrossRowsEmptyAndBareLinesMoveNothing",
               "\r\n" + Lines("00H", 3) + "\n        DB H;\r\n\r\n" + Lines("FFH", 1) + Lines("00H", 1), "",
               QByteArray(192, '0') + QByteArray(64, '1') + QByteArray(64, '0')},
    ReaderCase{"strayCharacterAfterThreeDots", Lines("00H", 16) + "        DB 01H,0GH,00H,00H,00H,00H,00H,00H;\r\n",
               "line 17: unexpected character 'G'", QByteArray(1024, '0') + "10000000" + "000"},
    ReaderCase{"shortLineAfterEmptyOnes", QByteArray(WorkedExampleLine) + "\r\n\r\n        DB ;\r\n" + WorkedExampleLine,
               "line 3: only 12 characters; a DB line has at least 13", Worked},
    ReaderCase{"tab", "        DB 01H,\t1H,00H;\n", "line 1: unexpected character 0x09", "10000000" "0001000"},
    ReaderCase{"notAscii", "        DB 0\xE9" "1H;\n", "line 1: unexpected character 0xe9", "000"},
    ReaderCase{"strayInAGroupNeverComplete", "        DB 0GH;\r\n", "", ""},
    ReaderCase{"longerThanTheLimit", "        DB " + QByteArray(70000, 'F') + "H;\r\n", "line 1: longer than 65536 characters", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// Whole listings of the samples read back into the bytes they hold, whatever
// the line ends and letter case; lines after the 240th draw nothing and only
// a short one among them is reported.
TEST(Reader, SampleListingsGiveTheirBytesBack)
{
    for (const char *name : {"lcd_bit-order.txt", "lcd_dotpress-logo.txt"}) {
        const QByteArray listing = ReadFileOrEmpty(QStringLiteral(DOTPRESS_TEST_DATA "/%1").arg(QLatin1String(name)));
        const QByteArray extra = Lines("FFH", 1) + "        DB GG junk never reached;\r\n";
        const QByteArray bareLf = QByteArray(listing).replace("\r\n", "\n");
        for (const QByteArray &text : {listing, bareLf, listing.chopped(2), listing.toLower(), listing + extra}) {
            DotGrid dots(LcdSize);
            const ListingReadResult result = ReadListing(text, dots);
            ASSERT_TRUE(result.ok()) << qPrintable(result.describe());
            EXPECT_EQ(result.row * 240 + result.column, 64 * 240);
            EXPECT_EQ(FormatListing(PackDots(dots, ByteLayout::RowsLsb)), listing);
        }
        DotGrid dots(LcdSize);
        EXPECT_EQ(ReadListing(listing + extra + "   DB 1;", dots).describe(), "line 243: only 8 characters; a DB line has at least 13");
    }
    DotGrid dots(LcdSize);
    const ListingReadResult missing = ReadListingFile(QStringLiteral("/nonexistent/lcd_x.txt"), dots);
    EXPECT_EQ(missing.problem, ListingProblem::CannotOpen);
    EXPECT_EQ(missing.describe(), missing.reason);
}

// Only the converter's --to-bitmap reads "0FFH" as "FFH"; the preview draws
// the twelve dots of its three digits.
TEST(Reader, LeadingZeroFieldsOnlyWhenAsked)
{
    const char *zeros = "        DB 01H,0FFH,80H,0FH,0F0H,00H,05H,0c0h;";
    EXPECT_EQ(ListingLineBits(zeros, ListingForm::LeadingZero), ListingLineBits(WorkedExampleLine));
    EXPECT_EQ(ListingLineBits(zeros)->size(), 64 + 3 * 4);
}
