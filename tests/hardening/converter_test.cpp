// The built converter over bad input and listings that cannot be written.
// Every bmpsuite file (none is a 240 x 64, 1-bit picture) is refused or fails
// with a reason. Write faults that stop root as well (no folder, a path through
// a file, a folder in the listing's place, a file size limit, a full file
// system) are reported. Either way the folder is left exactly as it was: no
// listing, no partial or temporary file, the older listing untouched.

#include "outputpath.h"
#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr char PreviousListing[] = "the previous listing\r\n";

// What lies in a folder: each name, and the bytes of each file.
QStringList FolderState(const QString &folder)
{
    QStringList state;
    for (const QString &entry : EntriesIn(folder)) {
        const QFileInfo info(QDir(folder).filePath(entry));
        state << entry << (info.isDir() ? QStringLiteral("<folder>") : QString::fromLatin1(ReadFileOrEmpty(info.filePath())));
    }
    return state;
}

class WriteFault : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteFileOrFail(path("picture.bmp"), BandedBmp());
        WriteFileOrFail(path("lcd_picture.txt"), PreviousListing);
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    // Told to write the listing to target, the converter exits with 2 naming
    // the bitmap and why, and nothing on disk changes.
    void expectReported(const char *target, const std::function<void()> &childSetup = {})
    {
        const QStringList before = FolderState(m_dir.path());
        const ConverterRun run = RunConverter({QStringLiteral("-o"), path(target), path("picture.bmp")}, childSetup);
        ASSERT_TRUE(run.finished) << run.err.toStdString();
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(path("picture.bmp").toUtf8() + ": cannot write ")) << run.err.toStdString();
        EXPECT_EQ(FolderState(m_dir.path()), before);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(Bmpsuite, EveryFileIsRefusedOrFailsCleanly)
{
    const std::vector<std::string> files = BmpsuiteFiles();
    ASSERT_EQ(files.size(), 60u) << "at " << BmpsuitePath("").toStdString();
    for (const std::string &file : files) {
        SCOPED_TRACE(file);
        QTemporaryDir dir;
        const QString bitmap = dir.filePath(QFileInfo(BmpsuitePath(file)).fileName());
        ASSERT_TRUE(QFile::copy(BmpsuitePath(file), bitmap));
        WriteFileOrFail(FormOutputPath(dir.path(), QFileInfo(bitmap).fileName()), PreviousListing);
        const QStringList before = FolderState(dir.path());
        const ConverterRun run = RunConverter({bitmap});
        ASSERT_TRUE(run.finished) << "the converter crashed or hung: " << run.err.toStdString();
        const QByteArray named = QDir::toNativeSeparators(bitmap).toUtf8() + ": ";
        EXPECT_TRUE(run.exitCode == 2 || (run.exitCode == 1 && run.err.contains(ExpectedRefusal))) << run.exitCode;
        EXPECT_TRUE(run.err.startsWith(named) && run.err.trimmed().size() > named.size()) << run.err.toStdString();
        EXPECT_EQ(FolderState(dir.path()), before);
    }
}

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
// root, or unprivileged where user namespaces are allowed), skipped where
// neither works. All of it runs inside the namespace, which ends with it.
TEST_F(WriteFault, FullFileSystem)
{
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    const QString mountPoint = path("small");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=8k tmpfs \"$1\" || exit 90\n"
        "printf 'the previous listing\\r\\n' > \"$1/lcd_picture.txt\" || exit 91\n"
        "\"$2\" -o \"$1/lcd_picture.txt\" \"$3\" 2>&1\n"
        "echo \"exit=$?\"; ls -A \"$1\"; cat \"$1/lcd_picture.txt\"\n");
    ConverterRun run;
    for (const char *flags : {"-rm", "-m"}) {
        if (unshare.isEmpty() || (run.finished && run.exitCode == 0))
            break;
        run = RunConverter({QString::fromLatin1(flags), QStringLiteral("sh"), QStringLiteral("-c"), script,
                            QStringLiteral("sh"), mountPoint, ConverterPath(), path("picture.bmp")},
                           {}, unshare);
    }
    if (!run.finished || run.exitCode != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(path("picture.bmp").toUtf8() + ": cannot write ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith("exit=2\nlcd_picture.txt\n" + QByteArray(PreviousListing))) << run.out.toStdString();
    EXPECT_TRUE(QDir(mountPoint).isEmpty()) << "the mount outlived its namespace";
}
