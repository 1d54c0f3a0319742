#include "picture.h"

#include "bmpfixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

struct Decoded
{
    BitmapHeaders headers;
    PaletteColours palette;
    DecodedPicture picture;
};

class PictureFile : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    Decoded decode(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("picture.bmp"));
        WriteFileOrFail(path, bytes);
        Decoded d;
        EXPECT_TRUE(ReadBitmapHeaders(path, d.headers, d.palette).ok);
        d.picture = DecodeBitmapFile(path, d.headers, d.palette);
        return d;
    }
};

TEST_F(PictureFile, ColoursAreExactlyThePaletteWithRedInTheLowByte)
{
    const BmpLayout layout{.palette0 = 0xFF0000 /* red */, .palette1 = 0x0000FF /* blue */,
                           .index = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 ? 0 : 1; }};
    const Decoded d = decode(MakeBmp(layout));
    ASSERT_TRUE(d.picture.ok()) << d.picture.error.toStdString();

    const ImagePixelSource source(PictureImage(d.picture));
    EXPECT_EQ(OnColour(d.palette, Sense::Normal), RgbColour(0x0000FF));
    EXPECT_EQ(OnColour(d.palette, Sense::Inverse), RgbColour(0xFF0000));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 240; ++x) {
            const RgbColour expected = layout.index(x, y) == 0 ? Rgb(255, 0, 0) : Rgb(0, 0, 255);
            ASSERT_EQ(source.pixelColour(x, y), expected) << x << "," << y;
            ASSERT_EQ(d.picture.pixelColour(x, y), expected) << "decoded at " << x << "," << y;
        }
    }
}

class HeaderSizes : public PictureFile, public ::testing::WithParamInterface<int> {};

TEST_P(HeaderSizes, SamePictureSameListing)
{
    // Row 0 of the worked example, and pixel 232 of the bottom row, which is
    // stored first in the file: bit 0 of the last byte. Palette entry 0 is on.
    const Decoded d = decode(MakeBmp({.infoSize = GetParam(), .index = [](int x, int y) {
        return (y == 0 && WorkedExampleOn(x)) || (x == 232 && y == 63) ? 0 : 1; }}));
    ASSERT_TRUE(d.picture.ok()) << d.picture.error.toStdString();
    QByteArray listing;
    EncodeRows(d.picture, *SetScanBounds(d.headers), OnColour(d.palette, Sense::Normal), listing);
    EXPECT_EQ(listing.toStdString(),
              UniformListing("00H", {{0, WorkedExampleLine}, {239, "        DB 00H,00H,00H,00H,00H,00H,00H,01H;"}}).toStdString());
}

INSTANTIATE_TEST_SUITE_P(InfoHeader, HeaderSizes, ::testing::Values(40, 108, 124));

TEST_F(PictureFile, DataCutShortUndecodableAndMissingFilesAreFailures)
{
    const QByteArray whole = MakeBmp(BmpLayout{});
    for (qsizetype cut : {qsizetype(1), whole.size() - 62}) {
        const Decoded d = decode(whole.chopped(cut));
        EXPECT_FALSE(d.picture.ok()) << "cut by " << cut;
        EXPECT_TRUE(d.picture.error.contains(QStringLiteral("incomplete"))) << d.picture.error.toStdString();
    }
    QByteArray notBmp = whole;
    notBmp[0] = 'X'; // headers admit it; the decoder does not take it
    const Decoded d = decode(notBmp);
    EXPECT_FALSE(d.picture.ok());
    EXPECT_FALSE(d.picture.error.isEmpty());

    const DecodedPicture missing = DecodeBitmapFile(m_dir.filePath(QStringLiteral("gone.bmp")), d.headers, d.palette);
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error.isEmpty());
}
