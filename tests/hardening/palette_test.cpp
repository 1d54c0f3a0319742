// A palette that is not all there is a reported failure, never a listing: the
// decoder would make up the missing colour or read the palette's tail from the
// pixel data, and the listing would light the wrong dots. (Complete palettes
// after a longer header or of three entries convert: see GeneratedHeaders.)

#include "pipeline.h"

#include "bmpfixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

TEST(IncompletePalette, FailsWithAReasonAndWritesNothing)
{
    const QuietDecoderWarnings quiet;
    const std::pair<const char *, QByteArray> cases[] = {
        // One entry: the second colour's bytes are the first row of pixels.
        {"one entry", WithField(BandedBmp(), 46, 4, 1)},
        {"file ends inside the palette", BandedBmp().left(60)},
        // A longer header declared over a 40-byte one: the palette would lie
        // in the pixel data, or past the end of the file.
        {"palette in the pixel data", WithField(BandedBmp(), 14, 4, 108)},
        {"palette past the end", WithField(BandedBmp(), 14, 4, 4000)},
        // The third entry would be read from the pixel data, every row four bytes late.
        {"three declared, two stored", WithField(BandedBmp(), 46, 4, 3)},
    };
    for (const auto &[name, bytes] : cases) {
        QTemporaryDir dir;
        WriteFileOrFail(dir.filePath(QStringLiteral("p.bmp")), bytes);
        const PathOutcome outcome = ConvertInProcess(dir.filePath(QStringLiteral("p.bmp")), dir.filePath(QStringLiteral("lcd_p.txt")));
        EXPECT_EQ(outcome.ending, Ending::Failed) << name;
        EXPECT_FALSE(outcome.message.isEmpty()) << name;
        EXPECT_EQ(EntriesIn(dir.path()), QStringList{QStringLiteral("p.bmp")}) << name;
    }
}
