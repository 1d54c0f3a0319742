// The headless converter as a build system runs it: a separate process.
#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct Outcome
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

class Converter : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    // The bit-order sample: rows 0 to 7 light the first pixel of every byte,
    // rows 8 to 15 the last; a row is 30 bytes, so 30 lines each.
    void SetUp() override
    {
        QFile::copy(QStringLiteral(DOTPRESS_SAMPLES_DIR "/bit-order.bmp"), m_dir.filePath(QStringLiteral("bit-order.bmp")));
    }
    Outcome run(const QStringList &args)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(DOTPRESS_CONVERT), args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QByteArray read(const char *name) const { return ReadFileOrEmpty(m_dir.filePath(QString::fromUtf8(name))); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(Converter, ConvertsBesideTheBitmapInEitherSense)
{
    for (bool inverse : {false, true}) {
        const Outcome r = run(inverse ? QStringList{"--inverse", "bit-order.bmp"} : QStringList{"bit-order.bmp"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), QByteArray("./lcd_bit-order.txt"));
        const QList<QByteArray> lines = read("lcd_bit-order.txt").split('\n');
        ASSERT_EQ(lines.size(), 241); // 240 lines, each ended by CR LF
        EXPECT_EQ(lines[29], RepeatedLine(inverse ? "FEH" : "01H") + "\r");
        EXPECT_EQ(lines[30], RepeatedLine(inverse ? "7FH" : "80H") + "\r");
    }
}

TEST_F(Converter, ListingGoesWhereTheOptionSaysOrFailsWithStatus2)
{
    const Outcome toFile = run({"-o", "out.inc", "bit-order.bmp"});
    ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();
    EXPECT_EQ(read("out.inc").size(), 10800);

    const Outcome toStdout = run({"-o", "-", "bit-order.bmp"});
    ASSERT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, read("out.inc"));
    EXPECT_EQ(files(), (QStringList{"bit-order.bmp", "out.inc"}));

    EXPECT_EQ(run({"-o", "x.inc", "bit-order.bmp", "bit-order.bmp"}).status, 2);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("x.inc"))));

    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("lcd_bit-order.txt/occupied")));
    const Outcome blocked = run({"bit-order.bmp"});
    EXPECT_EQ(blocked.status, 2);
    EXPECT_TRUE(blocked.err.contains("cannot write")) << blocked.err.toStdString();
}

TEST_F(Converter, RefusalsAndFailuresLeaveNoFileAndTheHighestStatusWins)
{
    WriteFileOrFail(m_dir.filePath(QStringLiteral("grey.bmp")), MakeBmp({.bitCount = 8}));
    WriteFileOrFail(m_dir.filePath(QStringLiteral("cut.bmp")), MakeBmp({}).chopped(10));

    const Outcome refused = run({"grey.bmp"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.startsWith("grey.bmp: Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap."))
        << refused.err.toStdString();

    const Outcome mixed = run({"grey.bmp", "missing.bmp", "cut.bmp", "bit-order.bmp"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_TRUE(mixed.err.contains("missing.bmp: cannot open")) << mixed.err.toStdString();
    EXPECT_TRUE(mixed.err.contains("cut.bmp: picture data incomplete")) << mixed.err.toStdString();
    EXPECT_EQ(mixed.out.trimmed(), QByteArray("./lcd_bit-order.txt"));
    EXPECT_EQ(files(), (QStringList{"bit-order.bmp", "cut.bmp", "grey.bmp", "lcd_bit-order.txt"}));
}
