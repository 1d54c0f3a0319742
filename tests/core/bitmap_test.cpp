// Admission, the picture data check and the decode, on bitmaps built by the
// fixture: admitted at exactly 240 x 64 and 1 bit, then decoded only when the
// file holds all that its headers promise, each pixel in its palette colour.
#include "bitmapfile.h"

#include "bmpfixture.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

struct Read { BitmapFile file; DecodedPicture picture; };

// Reads bytes in one pass and decodes what is admitted.
Read readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    Read r{ReadBitmapFile(buffer), {}};
    if (IsAdmitted(r.file.headers))
        r.picture = DecodeBitmap(r.file);
    return r;
}

QByteArray withField(QByteArray bytes, int offset, int size, std::int64_t value)
{
    PokeLe(bytes, offset, size, value);
    return bytes;
}

// Red and blue, so that a colour read back to front shows.
int Pattern(int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y ? 0 : 1; }
BmpLayout Mixed(int infoSize = 40) { return {.infoSize = infoSize, .palette0 = 0xFF0000, .palette1 = 0x0000FF, .index = Pattern}; }
const QByteArray Good = MakeBmp(Mixed());

} // namespace

// problem: "" when it decodes, or how the reason starts.
struct BitmapCase { const char *name; QByteArray bytes; bool admitted; const char *problem; };

class Bitmaps : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(Bitmaps, AdmittedThenDecodedInThePaletteColours)
{
    const BitmapCase &c = GetParam();
    const Read r = readBytes(c.bytes);
    ASSERT_EQ(IsAdmitted(r.file.headers), c.admitted);
    if (!c.admitted)
        return;
    ASSERT_TRUE(*c.problem ? r.picture.error.startsWith(QLatin1String(c.problem)) : r.picture.ok()) << r.picture.error.toStdString();
    if (!r.picture.ok())
        return;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(r.picture.pixelColour(x, y), Pattern(x, y) == 0 ? Rgb(255, 0, 0) : Rgb(0, 0, 255)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Files, Bitmaps, ::testing::Values(
    BitmapCase{"exact", Good, true, ""},
    BitmapCase{"infoHeader108", MakeBmp(Mixed(108)), true, ""},
    BitmapCase{"infoHeader124", MakeBmp(Mixed(124)), true, ""},
    BitmapCase{"notBmMagic", withField(Good, 0, 2, 0x4d58), true, "the picture cannot be decoded: it is not a BMP file: it starts with 0x584d"},
    BitmapCase{"planesZero", withField(Good, 26, 2, 0), true, "the picture cannot be decoded: it has 0 planes"},
    BitmapCase{"infoHeader52", withField(MakeBmp(Mixed(52)), 14, 4, 52), true, "the picture cannot be decoded: its info header is 52 bytes long"},
    BitmapCase{"dataAMegabyteIn", withField(Good + QByteArray(1 << 20, 0), 10, 4, 1 << 20), true, "its headers place the picture data past the first 1048576 bytes"},
    BitmapCase{"dataFarInButFileShort", withField(Good, 10, 4, 1 << 20), true, "picture data offset invalid"},
    BitmapCase{"wider241", MakeBmp({.width = 241}), false, ""},
    BitmapCase{"taller65", MakeBmp({.height = 65}), false, ""},
    BitmapCase{"swapped64x240", MakeBmp({.width = 64, .height = 240}), false, ""},
    BitmapCase{"topDownMinus64", withField(Good, 22, 4, -64), false, ""},
    BitmapCase{"fourBits", MakeBmp({.bitCount = 4}), false, ""},
    BitmapCase{"eightBits", MakeBmp({.bitCount = 8}), false, ""},
    BitmapCase{"emptyFile", QByteArray(), false, ""},
    BitmapCase{"cutInsideInfoHeader", Good.left(25), false, ""},
    BitmapCase{"lastByteMissing", Good.chopped(1), true, "picture data incomplete"},
    BitmapCase{"lastRowMissing", Good.chopped(32), true, "picture data incomplete"},
    BitmapCase{"oneEntryOnly", withField(Good, 46, 4, 1), true, "palette incomplete"},
    BitmapCase{"paletteCut", Good.left(58), true, "palette incomplete"},
    BitmapCase{"headerPastEnd", withField(Good, 14, 4, 0x7FFFFFFF), true, "palette incomplete"},
    BitmapCase{"threeEntriesDeclaredTwoStored", withField(Good, 46, 4, 3), true, "picture data offset invalid"},
    BitmapCase{"offsetInsidePalette", withField(Good, 10, 4, 58), true, "picture data offset invalid"},
    BitmapCase{"offsetPastEnd", withField(Good, 10, 4, 100000), true, "picture data offset invalid"},
    BitmapCase{"runLength", withField(Good, 30, 4, 1), true, "compressed picture data"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Headers, CutHeadersReadAsZeroAndThePaletteComesFromAfterTheInfoHeader)
{
    // Cut inside biWidth: not admitted on what the bytes before it say.
    EXPECT_FALSE(IsAdmitted(readBytes(Good.left(20)).file.headers));
    // Refused for its width, with a 124-byte header: the entries are taken
    // from where the palette starts, blue, green, red.
    const Read oneBit = readBytes(MakeBmp({.width = 241, .infoSize = 124, .palette0 = 0x123456}));
    EXPECT_EQ(PaletteRgb(oneBit.file.palette[0]), Rgb(0x12, 0x34, 0x56));
}
