// The headless converter as a build system runs it: a separate process. A
// refused or failed bitmap, or a listing that cannot be written, leaves the
// folder exactly as it was: no listing, no partial file, an older one intact.
#include "bmpfixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

struct Outcome { int status = -1; QByteArray out, err; };

QByteArray Expected(const char *name) { return ReadFileOrEmpty(QStringLiteral(DOTPRESS_TEST_DATA "/%1").arg(QLatin1String(name))); }

class Converter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile::copy(QStringLiteral(DOTPRESS_SAMPLES_DIR "/bit-order.bmp"), path("bit-order.bmp"));
        WriteFileOrFail(path("grey.bmp"), MakeBmp({.bitCount = 8}));
        WriteFileOrFail(path("cut.bmp"), MakeBmp({}).chopped(10));
    }
    // Runs program (the converter) in the folder; childSetup runs in the child before exec.
    Outcome run(const QStringList &args, const std::function<void()> &childSetup = {}, const QString &program = DOTPRESS_CONVERT)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        if (childSetup)
            process.setChildProcessModifier(childSetup);
        process.start(program, args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QStringList folder() const
    {
        QStringList state;
        for (const QFileInfo &entry : QDir(m_dir.path()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
            state << entry.fileName() + "=" + (entry.isDir() ? QByteArray("<folder>") : ReadFileOrEmpty(entry.filePath()));
        return state;
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Converter, ListingsBesideTheBitmapInFilesOrOnStandardOutput)
{
    for (const char *sense : {"", "--inverse"}) {
        const Outcome r = run(*sense ? QStringList{sense, "bit-order.bmp"} : QStringList{"bit-order.bmp"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, "./lcd_bit-order.txt\n");
        EXPECT_EQ(ReadFileOrEmpty(path("lcd_bit-order.txt")), Expected(*sense ? "lcd_bit-order-inverse.txt" : "lcd_bit-order.txt"));
    }
    EXPECT_EQ(run({"-o", "out.inc", "bit-order.bmp"}).status, 0);
    EXPECT_EQ(ReadFileOrEmpty(path("out.inc")), Expected("lcd_bit-order.txt"));
    EXPECT_EQ(run({"-o", "-", "bit-order.bmp"}).out, Expected("lcd_bit-order.txt"));
    EXPECT_EQ(run({"-o", "x.inc", "bit-order.bmp", "bit-order.bmp"}).status, 2);
    EXPECT_FALSE(QFile::exists(path("x.inc")));
}

TEST_F(Converter, RefusalsAndFailuresLeaveNoFileAndTheHighestStatusWins)
{
    const Outcome refused = run({"grey.bmp"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "grey.bmp: Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap.\n");
    const Outcome mixed = run({"grey.bmp", "missing.bmp", "cut.bmp", "bit-order.bmp"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_TRUE(mixed.err.contains("missing.bmp: cannot open")) << mixed.err.toStdString();
    EXPECT_TRUE(mixed.err.contains("cut.bmp: picture data incomplete")) << mixed.err.toStdString();
    EXPECT_EQ(mixed.out, "./lcd_bit-order.txt\n");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 4);
    EXPECT_EQ(run({"grey.bmp", "bit-order.bmp"}).status, 1);
}

// No folder, a path through a file, a folder in the listing's place, a file
// size limit (a full disk for root too) and, where a mount namespace can be
// had, a real full 8 KiB file system.
TEST_F(Converter, ListingsThatCannotBeWrittenChangeNothing)
{
    WriteFileOrFail(path("lcd_bit-order.txt"), "the previous listing\r\n");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("lcd_folder.txt")));
    const auto sizeLimit = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    const QStringList before = folder();
    for (const char *target : {"missing/lcd_x.txt", "grey.bmp/lcd_x.txt", "lcd_folder.txt", "lcd_bit-order.txt"}) {
        const Outcome r = run({"-o", target, "bit-order.bmp"}, sizeLimit);
        EXPECT_EQ(r.status, 2) << target;
        EXPECT_TRUE(r.err.startsWith("bit-order.bmp: cannot write ")) << r.err.toStdString();
        EXPECT_EQ(folder(), before) << target;
    }
    const QString script = QStringLiteral("mount -t tmpfs -o size=8k tmpfs small || exit 90\n"
                                          "printf 'old\\r\\n' > small/lcd.txt && \"$0\" -o small/lcd.txt bit-order.bmp\n"
                                          "echo \"exit=$?\"; ls -A small; cat small/lcd.txt");
    QDir(m_dir.path()).mkdir(QStringLiteral("small"));
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    const Outcome full = run({"-rm", "sh", "-c", script, DOTPRESS_CONVERT}, {}, unshare);
    if (unshare.isEmpty() || full.status != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << full.err.toStdString();
    EXPECT_TRUE(full.out.endsWith("exit=2\nlcd.txt\nold\r\n")) << full.out.toStdString();
}
