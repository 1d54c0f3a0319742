#include "picture.h"

#include "bmpfixture.h"

#include <QTemporaryDir>

#include <set>

#include <gtest/gtest.h>

namespace {

struct Decoded
{
    BitmapHeaders headers;
    PaletteColours palette;
    LoadedPicture picture;
};

Decoded decodeFile(const QString &path)
{
    Decoded d;
    EXPECT_TRUE(ReadBitmapHeaders(path, d.headers, d.palette).ok);
    d.picture = LoadPicture(path, d.headers);
    return d;
}

// Row 0 of the worked example: these columns are on (palette entry 0).
bool workedExampleOn(int x, int y)
{
    static const std::set<int> on{0, 8, 9, 10, 11, 12, 13, 14, 15, 23, 24, 25, 26, 27,
                                  36, 37, 38, 39, 48, 50, 62, 63};
    return y == 0 && on.count(x);
}

} // namespace

class PictureFile : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString write(const char *name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        WriteFileOrFail(path, bytes);
        return path;
    }
};

TEST_F(PictureFile, ColoursAreExactlyThePaletteWithRedInTheLowByte)
{
    BmpLayout spec;
    spec.palette0 = 0xFF0000; // red
    spec.palette1 = 0x0000FF; // blue
    spec.index = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 ? 0 : 1; };
    const Decoded d = decodeFile(write("rb.bmp", MakeBmp(spec)));
    ASSERT_TRUE(d.picture.ok()) << d.picture.error.toStdString();

    const ImagePixelSource source(d.picture.image);
    EXPECT_EQ(OnColour(d.palette, Sense::Normal), RgbColour(0x0000FF));
    EXPECT_EQ(OnColour(d.palette, Sense::Inverse), RgbColour(0xFF0000));
    std::vector<RgbColour> row(240);
    for (int y = 0; y < 64; ++y) {
        source.rowColours(0, y, 240, row.data());
        for (int x = 0; x < 240; ++x) {
            const RgbColour expected = spec.index(x, y) == 0 ? Rgb(255, 0, 0) : Rgb(0, 0, 255);
            ASSERT_EQ(source.pixelColour(x, y), expected) << x << "," << y;
            ASSERT_EQ(row[std::size_t(x)], expected) << "row path at " << x << "," << y;
        }
    }
}

class HeaderSizes : public PictureFile, public ::testing::WithParamInterface<int> {};

TEST_P(HeaderSizes, SamePictureSameListing)
{
    BmpLayout spec;
    spec.infoSize = GetParam();
    spec.index = [](int x, int y) { return workedExampleOn(x, y) || (x == 232 && y == 63) ? 0 : 1; };
    const Decoded d = decodeFile(write("pic.bmp", MakeBmp(spec)));
    ASSERT_TRUE(d.picture.ok()) << d.picture.error.toStdString();

    QByteArray listing;
    EncodeRows(ImagePixelSource(d.picture.image), *SetScanBounds(d.headers),
               OnColour(d.palette, Sense::Normal), listing);
    QByteArray expected = "        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;\r\n";
    for (int line = 1; line < 239; ++line)
        expected += RepeatedLine("00H") + "\r\n";
    // The bottom row is stored first in the file; its pixel 232 is bit 0 of the last byte.
    expected += "        DB 00H,00H,00H,00H,00H,00H,00H,01H;\r\n";
    EXPECT_EQ(listing.toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(InfoHeader, HeaderSizes, ::testing::Values(40, 108, 124));

TEST_F(PictureFile, DataCutShortIsAFailureNotAPicture)
{
    const QByteArray whole = MakeBmp(BmpLayout{});
    for (qsizetype cut : {qsizetype(1), qsizetype(4), qsizetype(32), whole.size() - 62}) {
        const Decoded d = decodeFile(write("cut.bmp", whole.chopped(cut)));
        EXPECT_FALSE(d.picture.ok()) << "cut by " << cut;
        EXPECT_TRUE(d.picture.error.contains(QStringLiteral("incomplete"))) << d.picture.error.toStdString();
    }
}

TEST_F(PictureFile, UndecodableAndMissingFilesReportAReason)
{
    QByteArray notBmp = MakeBmp(BmpLayout{});
    notBmp[0] = 'X'; // headers admit it; the decoder does not take it
    const Decoded d = decodeFile(write("x.bmp", notBmp));
    EXPECT_FALSE(d.picture.ok());
    EXPECT_FALSE(d.picture.error.isEmpty());

    const LoadedPicture missing = LoadPicture(m_dir.filePath(QStringLiteral("gone.bmp")), d.headers);
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error.isEmpty());
}
