// Listings that cannot be written, with faults that stop root as well as
// anyone else: no folder, a path through a file, a folder in the listing's
// place, a file size limit and a full file system. Each is reported, and the
// folder is left exactly as it was: no partial listing, no temporary file,
// the older listing untouched.

#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr char PreviousListing[] = "the previous listing\r\n";

class WriteFault : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteFileOrFail(path("picture.bmp"), BandedBmp());
        WriteFileOrFail(path("lcd_picture.txt"), PreviousListing);
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    // What lies in the folder: each name, and the bytes of each file.
    QStringList state() const
    {
        QStringList state;
        for (const QString &entry : EntriesIn(m_dir.path())) {
            const QFileInfo info(m_dir.filePath(entry));
            state << entry << (info.isDir() ? QStringLiteral("<folder>") : QString::fromLatin1(ReadFileOrEmpty(info.filePath())));
        }
        return state;
    }

    // The converter, told to write the listing to target, exits with 2
    // naming the bitmap and why, and nothing on disk changes.
    void expectReported(const char *target, const std::function<void()> &childSetup = {})
    {
        const QStringList before = state();
        const ConverterRun run = RunConverter({QStringLiteral("-o"), path(target), path("picture.bmp")}, childSetup);
        ASSERT_TRUE(run.finished) << run.err.toStdString();
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(path("picture.bmp").toUtf8() + ": cannot write ")) << run.err.toStdString();
        EXPECT_EQ(state(), before);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(WriteFault, ListingCannotBeCreated)
{
    WriteFileOrFail(path("notes.txt"), "a file, not a folder");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("lcd_folder.txt")));
    for (const char *target : {"missing/lcd_picture.txt", "notes.txt/lcd_picture.txt", "lcd_folder.txt"}) {
        SCOPED_TRACE(target);
        expectReported(target);
    }
}

// A file size limit stands in for a full disk wherever a small file system
// cannot be mounted: the write stops short with EFBIG, as with ENOSPC.
TEST_F(WriteFault, FileSizeLimitReachedPartWay)
{
    expectReported("lcd_picture.txt", [] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4000;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
}

// A real full file system: an 8 KiB tmpfs in a private mount namespace (as
// root, or unprivileged where user namespaces are allowed); skipped where
// neither works. The script mounts it, leaves an older listing, converts into
// it and shows what is left, all inside the namespace, which ends with it.
TEST_F(WriteFault, FullFileSystem)
{
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    const QString mountPoint = path("small");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=8k tmpfs \"$1\" || exit 90\n"
        "printf 'the previous listing\\r\\n' > \"$1/lcd_picture.txt\" || exit 91\n"
        "\"$2\" -o \"$1/lcd_picture.txt\" \"$3\" 2>&1\n"
        "echo \"exit=$?\"\n"
        "ls -A \"$1\"\n"
        "cat \"$1/lcd_picture.txt\"\n");
    ConverterRun run;
    for (const char *flags : {"-rm", "-m"}) {
        if (unshare.isEmpty())
            break;
        run = RunConverter({QString::fromLatin1(flags), QStringLiteral("sh"), QStringLiteral("-c"), script,
                            QStringLiteral("sh"), mountPoint, ConverterPath(), path("picture.bmp")},
                           {}, unshare);
        if (run.finished && run.exitCode == 0)
            break;
    }
    if (!run.finished || run.exitCode != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << run.out.toStdString() << run.err.toStdString();

    EXPECT_TRUE(run.out.startsWith(path("picture.bmp").toUtf8() + ": cannot write ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith("exit=2\nlcd_picture.txt\n" + QByteArray(PreviousListing))) << run.out.toStdString();
    EXPECT_TRUE(QDir(mountPoint).isEmpty()) << "the mount outlived its namespace";
}
