// Every file of the bmpsuite corpus (good, questionable and bad BMPs of every
// kind) goes through the converter and through the same path in process. None
// of them is a 240 x 64, 1-bit picture, so each must be refused or fail with a
// reason: no crash, no hang, no listing, and an older listing left as it was.

#include "outputpath.h"
#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char PreviousListing[] = "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";

class BmpsuiteFile : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString source = BmpsuitePath(GetParam());
        m_bitmap = m_dir.filePath(QFileInfo(source).fileName());
        ASSERT_TRUE(QFile::copy(source, m_bitmap)) << source.toStdString();
        m_listing = FormOutputPath(m_dir.path(), QFileInfo(m_bitmap).fileName());
        WriteFileOrFail(m_listing, PreviousListing);
        m_expectedEntries = EntriesIn(m_dir.path());
    }

    // Nothing new in the folder, and the older listing as it was.
    void expectNothingWritten(const char *path)
    {
        EXPECT_EQ(EntriesIn(m_dir.path()), m_expectedEntries) << path;
        EXPECT_EQ(ReadFileOrEmpty(m_listing), QByteArray(PreviousListing)) << path;
    }

    QTemporaryDir m_dir;
    QString m_bitmap;
    QString m_listing;
    QStringList m_expectedEntries;
};

} // namespace

TEST(Bmpsuite, CorpusIsThere)
{
    for (const char *folder : {"g", "q", "b"}) {
        EXPECT_FALSE(QDir(BmpsuitePath(folder)).entryList({QStringLiteral("*.bmp")}, QDir::Files).isEmpty())
            << "no bitmaps in " << BmpsuitePath(folder).toStdString();
    }
}

TEST_P(BmpsuiteFile, RefusedOrFailsCleanlyOnBothPaths)
{
    const ConverterRun run = RunConverter({m_bitmap});
    ASSERT_TRUE(run.finished) << "the converter crashed or hung: " << run.err.toStdString();
    EXPECT_TRUE(run.exitCode == 1 || run.exitCode == 2) << "exit " << run.exitCode;
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith(QDir::toNativeSeparators(m_bitmap).toUtf8() + ": "))
        << run.err.toStdString();
    if (run.exitCode == 1)
        EXPECT_TRUE(run.err.contains(ExpectedRefusal)) << run.err.toStdString();
    expectNothingWritten("converter");

    const PathOutcome inProcess = ConvertInProcess(m_bitmap, m_listing);
    EXPECT_NE(inProcess.ending, Ending::Converted);
    EXPECT_FALSE(inProcess.message.isEmpty());
    if (inProcess.ending == Ending::Refused)
        EXPECT_EQ(inProcess.message, QString::fromLatin1(ExpectedRefusal));
    EXPECT_EQ(run.exitCode, inProcess.ending == Ending::Refused ? 1 : 2)
        << "the converter and the in-process path disagree: " << inProcess.message.toStdString();
    expectNothingWritten("in process");
}

INSTANTIATE_TEST_SUITE_P(Corpus, BmpsuiteFile, ::testing::ValuesIn(BmpsuiteFiles()), BmpsuiteRowName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BmpsuiteFile);
