// The headless converter as a build system runs it: a separate process.
#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// The bit-order sample: rows 0 to 7 light the first pixel of every byte,
// rows 8 to 15 the last; a row is 30 bytes, so 30 lines each.
QByteArray bitOrderLine(int line, bool inverse)
{
    if (line < 30)
        return RepeatedLine(inverse ? "FEH" : "01H");
    if (line < 60)
        return RepeatedLine(inverse ? "7FH" : "80H");
    return {};
}

} // namespace

class Converter : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;

    Outcome run(const QStringList &args)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(DOTPRESS_CONVERT), args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QString copySample(const char *name)
    {
        const QString target = m_dir.filePath(QString::fromUtf8(name));
        QFile::copy(QStringLiteral(DOTPRESS_SAMPLES_DIR "/") + QString::fromUtf8(name), target);
        return target;
    }
    QString write(const char *name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        WriteFileOrFail(path, bytes);
        return path;
    }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(Converter, ConvertsBesideTheBitmapInEitherSense)
{
    copySample("bit-order.bmp");
    for (bool inverse : {false, true}) {
        QStringList args{QStringLiteral("bit-order.bmp")};
        if (inverse)
            args.prepend(QStringLiteral("--inverse"));
        const Outcome r = run(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), QByteArray("./lcd_bit-order.txt"));
        const QList<QByteArray> lines = ReadFileOrEmpty(m_dir.filePath(QStringLiteral("lcd_bit-order.txt"))).split('\n');
        ASSERT_EQ(lines.size(), 241); // 240 lines, each ended by CR LF
        EXPECT_EQ(lines[0], bitOrderLine(0, inverse) + "\r");
        EXPECT_EQ(lines[29], bitOrderLine(29, inverse) + "\r");
        EXPECT_EQ(lines[30], bitOrderLine(30, inverse) + "\r");
        EXPECT_EQ(lines[59], bitOrderLine(59, inverse) + "\r");
    }
}

TEST_F(Converter, OutputOptionNamesTheListingOrStandardOutput)
{
    copySample("bit-order.bmp");
    const Outcome toFile = run({QStringLiteral("-o"), QStringLiteral("out.inc"), QStringLiteral("bit-order.bmp")});
    ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();
    EXPECT_EQ(QFile(m_dir.filePath(QStringLiteral("out.inc"))).size(), 10800);

    const Outcome toStdout = run({QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("bit-order.bmp")});
    ASSERT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, ReadFileOrEmpty(m_dir.filePath(QStringLiteral("out.inc"))));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("bit-order.bmp"), QStringLiteral("out.inc")}));

    copySample("dotpress-logo.bmp");
    const Outcome two = run({QStringLiteral("-o"), QStringLiteral("x.inc"), QStringLiteral("bit-order.bmp"),
                         QStringLiteral("dotpress-logo.bmp")});
    EXPECT_EQ(two.status, 2);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("x.inc"))));
}

TEST_F(Converter, RefusalsAndFailuresLeaveNoFileAndTheHighestStatusWins)
{
    BmpLayout eightBit;
    eightBit.bitCount = 8;
    write("grey.bmp", MakeBmp(eightBit));
    write("cut.bmp", MakeBmp(BmpLayout{}).chopped(10));
    copySample("bit-order.bmp");

    const Outcome refused = run({QStringLiteral("grey.bmp")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.startsWith("grey.bmp: Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap."))
        << refused.err.toStdString();

    const Outcome mixed = run({QStringLiteral("grey.bmp"), QStringLiteral("missing.bmp"), QStringLiteral("cut.bmp"),
                           QStringLiteral("bit-order.bmp")});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_TRUE(mixed.err.contains("missing.bmp: cannot open")) << mixed.err.toStdString();
    EXPECT_TRUE(mixed.err.contains("cut.bmp: picture data incomplete")) << mixed.err.toStdString();
    EXPECT_EQ(mixed.out.trimmed(), QByteArray("./lcd_bit-order.txt"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("bit-order.bmp"), QStringLiteral("cut.bmp"),
                                    QStringLiteral("grey.bmp"), QStringLiteral("lcd_bit-order.txt")}));
}

TEST_F(Converter, UnwritableListingsAreFailures)
{
    copySample("bit-order.bmp");
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("lcd_bit-order.txt/occupied")));
    const Outcome blocked = run({QStringLiteral("bit-order.bmp")});
    EXPECT_EQ(blocked.status, 2);
    EXPECT_TRUE(blocked.err.contains("cannot write")) << blocked.err.toStdString();

    const Outcome through = run({QStringLiteral("-o"), QStringLiteral("bit-order.bmp/lcd.txt"), QStringLiteral("bit-order.bmp")});
    EXPECT_EQ(through.status, 2);
    EXPECT_EQ(QFile(m_dir.filePath(QStringLiteral("bit-order.bmp"))).size(), 2110);
}
