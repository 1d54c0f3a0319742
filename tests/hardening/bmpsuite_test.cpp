// Every file of the bmpsuite corpus (good, questionable and bad BMPs of every
// kind) through the converter. None is a 240 x 64, 1-bit picture, so each must
// be refused or fail with a reason: no crash, no hang, no listing, and an
// older listing left as it was.

#include "outputpath.h"
#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using BmpsuiteFile = ::testing::TestWithParam<std::string>;

TEST(Bmpsuite, CorpusIsThere)
{
    EXPECT_GT(BmpsuiteFiles().size(), 40u) << "at " << BmpsuitePath("").toStdString();
}

TEST_P(BmpsuiteFile, RefusedOrFailsCleanly)
{
    const QByteArray previousListing = "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";
    QTemporaryDir dir;
    const QString bitmap = dir.filePath(QFileInfo(BmpsuitePath(GetParam())).fileName());
    ASSERT_TRUE(QFile::copy(BmpsuitePath(GetParam()), bitmap));
    const QString listing = FormOutputPath(dir.path(), QFileInfo(bitmap).fileName());
    WriteFileOrFail(listing, previousListing);
    const QStringList entries = EntriesIn(dir.path());

    const ConverterRun run = RunConverter({bitmap});
    ASSERT_TRUE(run.finished) << "the converter crashed or hung: " << run.err.toStdString();
    const QByteArray named = QDir::toNativeSeparators(bitmap).toUtf8() + ": ";
    EXPECT_TRUE(run.exitCode == 1 || run.exitCode == 2) << run.exitCode;
    EXPECT_TRUE(run.err.startsWith(named) && run.err.trimmed().size() > named.size()) << run.err.toStdString();
    if (run.exitCode == 1)
        EXPECT_TRUE(run.err.contains(ExpectedRefusal)) << run.err.toStdString();
    EXPECT_EQ(EntriesIn(dir.path()), entries);
    EXPECT_EQ(ReadFileOrEmpty(listing), previousListing);
}

INSTANTIATE_TEST_SUITE_P(Corpus, BmpsuiteFile, ::testing::ValuesIn(BmpsuiteFiles()), BmpsuiteRowName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BmpsuiteFile);
