#include "bitmapheaders.h"
#include "encoder.h"

#include "bmpfixture.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

struct Read
{
    HeaderReadResult result;
    BitmapHeaders headers;
    PaletteColours palette;
};

// Reads bytes over what an earlier read left, as the window does.
Read readBytes(const QByteArray &bytes, Read r = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    r.result = ReadBitmapHeaders(buffer, r.headers, r.palette);
    return r;
}

QByteArray withField(QByteArray bytes, int offset, int size, std::int64_t value)
{
    PokeLe(bytes, offset, size, value);
    return bytes;
}

const QByteArray Good = MakeBmp({});

} // namespace

// Admitted at exactly 240 x 64 and 1 bit only; then the file must hold what
// its headers promise.
struct HeaderCase { const char *name; QByteArray bytes; bool admitted; PictureDataProblem problem; };

class Headers : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(Headers, AdmissionAndPictureData)
{
    const HeaderCase &c = GetParam();
    const Read r = readBytes(c.bytes);
    ASSERT_TRUE(r.result.ok);
    ASSERT_EQ(IsAdmitted(r.headers), c.admitted);
    if (c.admitted)
        EXPECT_EQ(CheckPictureData(r.headers, c.bytes.size()), c.problem);
}

using P = PictureDataProblem;
INSTANTIATE_TEST_SUITE_P(Files, Headers, ::testing::Values(
    HeaderCase{"exact", Good, true, P::None},
    HeaderCase{"notBmMagic", withField(Good, 0, 2, 0x4141), true, P::None},
    HeaderCase{"planesZero", withField(Good, 26, 2, 0), true, P::None},
    HeaderCase{"wider241", MakeBmp({.width = 241}), false, P::None},
    HeaderCase{"taller65", MakeBmp({.height = 65}), false, P::None},
    HeaderCase{"swapped64x240", MakeBmp({.width = 64, .height = 240}), false, P::None},
    HeaderCase{"topDownMinus64", withField(Good, 22, 4, -64), false, P::None},
    HeaderCase{"fourBits", MakeBmp({.bitCount = 4}), false, P::None},
    HeaderCase{"eightBits", MakeBmp({.bitCount = 8}), false, P::None},
    HeaderCase{"twentyFourBits", MakeBmp({.bitCount = 24}), false, P::None},
    HeaderCase{"emptyFile", QByteArray(), false, P::None},
    HeaderCase{"cutInsideInfoHeader", Good.left(25), false, P::None},
    HeaderCase{"lastByteMissing", Good.chopped(1), true, P::DataIncomplete},
    HeaderCase{"oneEntryOnly", withField(Good, 46, 4, 1), true, P::PaletteIncomplete},
    HeaderCase{"paletteCut", Good.left(58), true, P::PaletteIncomplete},
    HeaderCase{"headerPastEnd", withField(Good, 14, 4, 0x7FFFFFFF), true, P::PaletteIncomplete},
    HeaderCase{"offsetInsidePalette", withField(Good, 10, 4, 58), true, P::DataOffsetInvalid},
    HeaderCase{"offsetPastEnd", withField(Good, 10, 4, 100000), true, P::DataOffsetInvalid},
    HeaderCase{"runLength", withField(Good, 30, 4, 1), true, P::UnsupportedCompression}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Headers, ShortFileAfterAdmittedOneIsNotAdmittedOnOldValues)
{
    const Read r = readBytes(Good.left(20), readBytes(Good)); // ends inside biWidth
    EXPECT_FALSE(IsAdmitted(r.headers));
    EXPECT_EQ(r.headers.biHeight, 0);
}

TEST(Headers, EveryOneBitFileReplacesThePaletteOtherDepthsKeepIt)
{
    // Refused for its width, with a 124-byte header: the entries are taken
    // from where the palette starts, blue, green, red.
    Read before;
    before.palette[0].red = 7;
    const Read oneBit = readBytes(MakeBmp({.width = 241, .infoSize = 124, .palette0 = 0x123456}), before);
    EXPECT_TRUE(oneBit.result.paletteRead);
    EXPECT_EQ(PaletteRgb(oneBit.palette[0]), Rgb(0x12, 0x34, 0x56));

    const Read eightBit = readBytes(MakeBmp({.bitCount = 8}), before);
    EXPECT_FALSE(eightBit.result.paletteRead);
    EXPECT_EQ(eightBit.palette[0].red, 7);
}
