// Listings that cannot be written, with faults that stop root as well as
// anyone else: no folder, a path through a file, a folder in the listing's
// place, a name too long, a full file system. Each is reported, and the
// folder is left exactly as it was: no partial listing, no temporary file,
// the older listing untouched.

#include "bitmapheaders.h"
#include "encoder.h"
#include "picture.h"
#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr char PreviousListing[] = "the previous listing\r\n";

// Every file and folder under root with the bytes of each file.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(path, it.fileInfo().isDir() ? QByteArray("<folder>") : ReadFileOrEmpty(path));
    }
    return entries;
}

class WriteFault : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_bitmap = path(QStringLiteral("picture.bmp"));
        WriteFileOrFail(m_bitmap, BandedBmp());
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The listing to target cannot be written: ConvertPicture reports it, the
    // converter exits with 2 and names the bitmap, and nothing changes on disk.
    void expectReportedAndNothingChanged(const QString &target)
    {
        const QMap<QString, QByteArray> before = snapshot(m_dir.path());

        BitmapHeaders headers;
        PaletteColours palette;
        ASSERT_TRUE(ReadBitmapHeaders(m_bitmap, headers, palette).ok);
        const LoadedPicture picture = LoadPicture(m_bitmap, headers);
        ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
        const ImagePixelSource source(picture.image);
        const ConversionResult result =
            ConvertPicture(source, headers, *SetScanBounds(headers), palette, Sense::Normal, target);
        EXPECT_EQ(result.outcome, ConversionOutcome::WriteFailed);
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_EQ(snapshot(m_dir.path()), before) << "in process";

        const ConverterRun run = RunConverter({QStringLiteral("-o"), target, m_bitmap});
        ASSERT_TRUE(run.finished) << run.err.toStdString();
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(m_bitmap.toUtf8() + ": cannot write ")) << run.err.toStdString();
        EXPECT_EQ(snapshot(m_dir.path()), before) << "converter";
    }

    QTemporaryDir m_dir;
    QString m_bitmap;
};

} // namespace

TEST_F(WriteFault, FolderMissing)
{
    expectReportedAndNothingChanged(path(QStringLiteral("missing/lcd_picture.txt")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("missing"))));
}

TEST_F(WriteFault, PathThroughARegularFile)
{
    WriteFileOrFail(path(QStringLiteral("notes.txt")), "a file, not a folder");
    expectReportedAndNothingChanged(path(QStringLiteral("notes.txt/lcd_picture.txt")));
}

TEST_F(WriteFault, FolderWithTheListingsName)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("lcd_picture.txt/inside")));
    WriteFileOrFail(path(QStringLiteral("lcd_picture.txt/inside/kept.txt")), PreviousListing);
    expectReportedAndNothingChanged(path(QStringLiteral("lcd_picture.txt")));
}

TEST_F(WriteFault, NameLongerThanTheFileSystemTakes)
{
    WriteFileOrFail(path(QStringLiteral("lcd_picture.txt")), PreviousListing);
    expectReportedAndNothingChanged(path(QStringLiteral("lcd_") + QString(300, QLatin1Char('x'))
                                         + QStringLiteral(".txt")));
}

// A file size limit stands in for a full disk wherever a small file system
// cannot be mounted: the write stops short with EFBIG, as with ENOSPC.
TEST_F(WriteFault, FileSizeLimitReachedPartWay)
{
    const QString listing = path(QStringLiteral("lcd_picture.txt"));
    WriteFileOrFail(listing, PreviousListing);
    const QMap<QString, QByteArray> before = snapshot(m_dir.path());

    const ConverterRun run = RunConverter({m_bitmap}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4000;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(run.finished) << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith(m_bitmap.toUtf8() + ": cannot write ")) << run.err.toStdString();
    EXPECT_EQ(snapshot(m_dir.path()), before);
}

// A real full file system: an 8 KiB tmpfs, mounted in a private mount
// namespace (as root, or as an unprivileged user where user namespaces are
// allowed). Skipped where neither works.
TEST_F(WriteFault, FullFileSystem)
{
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        GTEST_SKIP() << "no unshare here";
    const QString mountPoint = path(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));

    // Mounts, leaves an older listing, converts into the mount, then shows
    // what is left there. All of it inside the namespace, which ends with it.
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=8k tmpfs \"$1\" || exit 90\n"
        "printf 'the previous listing\\r\\n' > \"$1/lcd_picture.txt\" || exit 91\n"
        "\"$2\" -o \"$1/lcd_picture.txt\" \"$3\" 2>&1\n"
        "echo \"exit=$?\"\n"
        "ls -A \"$1\"\n"
        "cat \"$1/lcd_picture.txt\"\n");
    ConverterRun run;
    for (const QString &flags : {QStringLiteral("-rm"), QStringLiteral("-m")}) {
        run = RunProgram(unshare, {flags, QStringLiteral("sh"), QStringLiteral("-c"), script,
                                   QStringLiteral("sh"), mountPoint, ConverterPath(), m_bitmap});
        if (run.finished && run.exitCode == 0)
            break;
    }
    if (!run.finished || run.exitCode != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << run.out.toStdString()
                     << run.err.toStdString();

    const QByteArray expectedTail = "exit=2\nlcd_picture.txt\n" + QByteArray(PreviousListing);
    EXPECT_TRUE(run.out.startsWith(m_bitmap.toUtf8() + ": cannot write ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith(expectedTail)) << run.out.toStdString();
    EXPECT_TRUE(QDir(mountPoint).isEmpty()) << "the mount outlived its namespace";
}
