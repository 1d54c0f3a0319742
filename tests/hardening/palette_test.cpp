// A palette that is not all there is a reported failure, never a listing:
// the decoder would make up the missing colour or read the palette's tail
// from the pixel data, and the listing would light the wrong dots.

#include "pipeline.h"

#include "bmpfixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct PaletteCase
{
    const char *name;
    QByteArray bytes;
    Ending ending;
};

class IncompletePalette : public ::testing::TestWithParam<PaletteCase>
{
};

} // namespace

TEST_P(IncompletePalette, EndsAsDecided)
{
    const QuietDecoderWarnings quiet;
    QTemporaryDir dir;
    const QString bitmap = dir.filePath(QStringLiteral("p.bmp"));
    const QString listing = dir.filePath(QStringLiteral("lcd_p.txt"));
    WriteFileOrFail(bitmap, GetParam().bytes);

    const PathOutcome outcome = ConvertInProcess(bitmap, listing);
    EXPECT_EQ(EndingName(outcome.ending), std::string(EndingName(GetParam().ending)))
        << outcome.message.toStdString();
    if (GetParam().ending == Ending::Converted) {
        EXPECT_EQ(outcome.listing, BandedListing(Sense::Normal));
    } else {
        EXPECT_FALSE(outcome.message.isEmpty());
        EXPECT_EQ(EntriesIn(dir.path()), QStringList{QStringLiteral("p.bmp")});
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IncompletePalette, ::testing::Values(
    // One entry: the second colour's bytes are the first row of pixels.
    PaletteCase{"oneEntry", WithField(BandedBmp(), 46, 4, 1), Ending::Failed},
    // The file ends inside the palette.
    PaletteCase{"cutInsideEntry1", BandedBmp().left(60), Ending::Failed},
    // A longer header declared over a 40-byte layout: the palette would lie
    // where the pixel data is.
    PaletteCase{"behindThePixelData", WithField(BandedBmp(), 14, 4, 108), Ending::Failed},
    PaletteCase{"pastTheEnd", WithField(BandedBmp(), 14, 4, 4000), Ending::Failed},
    // Three entries declared where two are stored: the third would be read
    // from the pixel data and every row would start four bytes late.
    PaletteCase{"threeDeclaredTwoStored", WithField(BandedBmp(), 46, 4, 3), Ending::Failed},
    PaletteCase{"hugeCount", WithField(BandedBmp(), 46, 4, 0x7FFFFFFF), Ending::Failed},
    PaletteCase{"dataInsideThePalette", WithField(BandedBmp(), 10, 4, 58), Ending::Failed},
    // Complete palettes, longer than two entries or after a longer header.
    PaletteCase{"threeDeclaredThreeStored", BandedBmp(40, 3), Ending::Converted},
    PaletteCase{"twoDeclared", WithField(BandedBmp(), 46, 4, 2), Ending::Converted},
    PaletteCase{"afterA124ByteHeader", BandedBmp(124), Ending::Converted}),
    [](const ::testing::TestParamInfo<PaletteCase> &info) { return std::string(info.param.name); });
