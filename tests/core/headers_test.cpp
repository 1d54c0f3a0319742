#include "bitmapheaders.h"

#include "bmpfixture.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Read
{
    HeaderReadResult result;
    BitmapHeaders headers;
    PaletteColours palette;
};

Read readBytes(const QByteArray &bytes, PaletteColours before = {})
{
    Read r;
    r.palette = before;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    r.result = ReadBitmapHeaders(buffer, r.headers, r.palette);
    return r;
}

BmpLayout bitmap(int width, int height, int bits)
{
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bitCount = bits;
    return s;
}

} // namespace

struct AdmissionCase { const char *name; QByteArray bytes; bool admitted; };

class Admission : public ::testing::TestWithParam<AdmissionCase> {};

TEST_P(Admission, OnlyExactly240By64AtOneBit)
{
    const Read r = readBytes(GetParam().bytes);
    ASSERT_TRUE(r.result.ok);
    EXPECT_EQ(IsAdmitted(r.headers), GetParam().admitted);
}

static QByteArray withField(QByteArray bytes, int offset, int size, std::int64_t value)
{
    PokeLe(bytes, offset, size, value);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Sizes, Admission, ::testing::Values(
    AdmissionCase{"exact", MakeBmp(bitmap(240, 64, 1)), true},
    AdmissionCase{"header108", [] { BmpLayout s; s.infoSize = 108; return MakeBmp(s); }(), true},
    AdmissionCase{"notBmMagic", withField(MakeBmp(bitmap(240, 64, 1)), 0, 2, 0x4141), true},
    AdmissionCase{"planesZero", withField(MakeBmp(bitmap(240, 64, 1)), 26, 2, 0), true},
    AdmissionCase{"wider241", MakeBmp(bitmap(241, 64, 1)), false},
    AdmissionCase{"taller65", MakeBmp(bitmap(240, 65, 1)), false},
    AdmissionCase{"swapped64x240", MakeBmp(bitmap(64, 240, 1)), false},
    AdmissionCase{"topDownMinus64", withField(MakeBmp(bitmap(240, 64, 1)), 22, 4, -64), false},
    AdmissionCase{"fourBits", MakeBmp(bitmap(240, 64, 4)), false},
    AdmissionCase{"eightBits", MakeBmp(bitmap(240, 64, 8)), false},
    AdmissionCase{"twentyFourBits", MakeBmp(bitmap(240, 64, 24)), false},
    AdmissionCase{"emptyFile", QByteArray(), false},
    AdmissionCase{"cutInsideInfoHeader", MakeBmp(bitmap(240, 64, 1)).left(25), false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Admission, ShortFileAfterAdmittedOneIsNotAdmittedOnOldValues)
{
    Read r = readBytes(MakeBmp(bitmap(240, 64, 1)));
    ASSERT_TRUE(IsAdmitted(r.headers));
    QBuffer buffer;
    buffer.setData(MakeBmp(bitmap(240, 64, 1)).left(20)); // ends inside biWidth
    buffer.open(QIODevice::ReadOnly);
    ReadBitmapHeaders(buffer, r.headers, r.palette);
    EXPECT_FALSE(IsAdmitted(r.headers));
    EXPECT_EQ(r.headers.biHeight, 0);
}

TEST(Admission, UnopenableFileIsAFailureWithTheSystemsReason)
{
    BitmapHeaders headers;
    PaletteColours palette;
    const HeaderReadResult r = ReadBitmapHeaders(QStringLiteral("/nonexistent/dir/x.bmp"), headers, palette);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
}

TEST(Admission, TextsAreLetterForLetter)
{
    EXPECT_EQ(RefusalText(), QStringLiteral("Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap."));
    BitmapHeaders h;
    h.biBitCount = 1;
    EXPECT_EQ(ColorValueText(h), QStringLiteral("1 Bits  (2 Colors)"));
}

class PalettePosition : public ::testing::TestWithParam<int> {};

TEST_P(PalettePosition, EntriesAreTakenWhereThePaletteStarts)
{
    BmpLayout s;
    s.infoSize = GetParam();
    s.palette0 = 0x123456;
    s.palette1 = 0xABCDEF;
    const Read r = readBytes(MakeBmp(s));
    ASSERT_TRUE(r.result.paletteRead);
    EXPECT_EQ(r.palette[0].red, 0x12);
    EXPECT_EQ(r.palette[0].green, 0x34);
    EXPECT_EQ(r.palette[0].blue, 0x56);
    EXPECT_EQ(r.palette[1].red, 0xAB);
    EXPECT_EQ(r.palette[1].green, 0xCD);
    EXPECT_EQ(r.palette[1].blue, 0xEF);
}

INSTANTIATE_TEST_SUITE_P(InfoHeaderSizes, PalettePosition, ::testing::Values(40, 108, 124));

TEST(PalettePosition, RefusedOneBitReplacesEntriesOtherDepthsKeepThem)
{
    PaletteColours before{};
    before[0].red = 7;
    BmpLayout wide = bitmap(241, 64, 1);
    wide.palette0 = 0x010203;
    const Read oneBit = readBytes(MakeBmp(wide), before);
    EXPECT_TRUE(oneBit.result.paletteRead);
    EXPECT_EQ(oneBit.palette[0].red, 1);

    const Read eightBit = readBytes(MakeBmp(bitmap(240, 64, 8)), before);
    EXPECT_FALSE(eightBit.result.paletteRead);
    EXPECT_EQ(eightBit.palette[0].red, 7);
}

struct DataCase { const char *name; QByteArray bytes; PictureDataProblem problem; };

class PictureData : public ::testing::TestWithParam<DataCase> {};

TEST_P(PictureData, FileHoldsWhatItsHeadersPromise)
{
    const Read r = readBytes(GetParam().bytes);
    ASSERT_TRUE(IsAdmitted(r.headers));
    EXPECT_EQ(CheckPictureData(r.headers, GetParam().bytes.size()), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(Files, PictureData, ::testing::Values(
    DataCase{"complete", MakeBmp(BmpLayout{}), PictureDataProblem::None},
    DataCase{"lastByteMissing", MakeBmp(BmpLayout{}).chopped(1), PictureDataProblem::DataIncomplete},
    DataCase{"noPixelData", MakeBmp(BmpLayout{}).left(62), PictureDataProblem::DataIncomplete},
    DataCase{"oneEntryOnly", withField(MakeBmp(BmpLayout{}), 46, 4, 1), PictureDataProblem::PaletteIncomplete},
    DataCase{"paletteCut", MakeBmp(BmpLayout{}).left(58), PictureDataProblem::PaletteIncomplete},
    DataCase{"offsetInsidePalette", withField(MakeBmp(BmpLayout{}), 10, 4, 58), PictureDataProblem::DataOffsetInvalid},
    DataCase{"offsetNegative", withField(MakeBmp(BmpLayout{}), 10, 4, -1), PictureDataProblem::DataOffsetInvalid},
    DataCase{"offsetPastEnd", withField(MakeBmp(BmpLayout{}), 10, 4, 100000), PictureDataProblem::DataOffsetInvalid},
    DataCase{"headerPastEnd", withField(MakeBmp(BmpLayout{}), 14, 4, 0x7FFFFFFF), PictureDataProblem::PaletteIncomplete},
    DataCase{"runLength", withField(MakeBmp(BmpLayout{}), 30, 4, 1), PictureDataProblem::UnsupportedCompression}),
    [](const auto &info) { return std::string(info.param.name); });
