// Bad input through the one decode path, in-process: every bmpsuite file as
// it is and made to claim 240 x 64 at 1 bit, and the bit-order sample cut at
// every length and with each header field set to odd values. Nothing may
// crash (the sanitizer build runs this too); each bitmap is refused, fails
// with a reason or decodes, and one that decodes with the sample's palette
// gives the sample's listing.
#include "bitmapfile.h"
#include "bytelayout.h"
#include "encoder.h"
#include "listingformat.h"

#include "bmpfixture.h"

#include <QBuffer>
#include <QDirIterator>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

TEST(Sweep, BmpsuiteCutsAndOddFieldsAreRefusedFailOrDecodeRight)
{
    const QByteArray sample = ReadFileOrEmpty(QStringLiteral(DOTPRESS_SAMPLES_DIR "/bit-order.bmp"));
    const QByteArray listing = ReadFileOrEmpty(QStringLiteral(DOTPRESS_TEST_DATA "/lcd_bit-order.txt"));
    int refused = 0, failed = 0, decoded = 0;
    const auto sweep = [&](const QString &name, QByteArray bytes) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const BitmapFile file = ReadBitmapFile(buffer);
        ASSERT_TRUE(file.ok());
        if (!IsAdmitted(file.headers))
            return void(++refused);
        const DecodedPicture picture = DecodeBitmap(file);
        EXPECT_TRUE(picture.ok() || !picture.error.isEmpty()) << name.toStdString();
        if (!picture.ok())
            return void(++failed);
        ++decoded;
        const QByteArray written = FormatListing(PackDots(ScanDots(picture, ScanBoundsFor(file.headers), OnColour(picture.palette, Sense::Normal)), ByteLayout::RowsLsb));
        const bool samplePalette = PaletteRgb(picture.palette[0]) == Rgb(0, 0, 0) && PaletteRgb(picture.palette[1]) == Rgb(255, 255, 255);
        EXPECT_TRUE(samplePalette ? written == listing : written.size() == 10800) << name.toStdString();
    };
    int bmpsuite = 0;
    for (QDirIterator it(QStringLiteral(DOTPRESS_TEST_DATA "/bmpsuite"), {"*.bmp"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); ++bmpsuite) {
        QByteArray bytes = ReadFileOrEmpty(it.next());
        sweep(it.filePath(), bytes);
        PokeLe(bytes, 18, 4, 240);
        PokeLe(bytes, 22, 4, 64);
        PokeLe(bytes, 28, 2, 1);
        sweep(it.filePath() + " as 240 x 64", bytes);
    }
    EXPECT_EQ(bmpsuite, 60);
    for (qsizetype length = 0; length <= sample.size(); ++length)
        sweep(QStringLiteral("cut at %1").arg(length), sample.left(length));
    const std::pair<int, int> fields[] = {{0, 2}, {2, 4}, {6, 2}, {8, 2}, {10, 4}, {14, 4}, {18, 4}, {22, 4},
                                          {26, 2}, {28, 2}, {30, 4}, {34, 4}, {38, 4}, {42, 4}, {46, 4}, {50, 4}};
    for (const auto &[offset, size] : fields) {
        for (const std::int64_t value : {0, 1, 2, 3, 4, 8, 12, 16, 24, 32, 39, 40, 41, 54, 61, 62, 63, 64, 66, 108,
                                         124, 240, 255, 256, 2110, 2111, 0x7FFF, 0xFFFF, INT_MAX, -1, -64, INT_MIN}) {
            QByteArray bytes = sample;
            PokeLe(bytes, offset, size, value);
            sweep(QStringLiteral("field at %1 = %2").arg(offset).arg(value), bytes);
        }
    }
    std::printf("[ figures  ] %d refused, %d failed, %d decoded\n", refused, failed, decoded);
    EXPECT_GT(decoded, 0);
    EXPECT_GT(failed, 0);
}
