// Bad bitmaps chosen in the main window as a user would, with a double-click
// or Enter in File1: every file of the bmpsuite corpus and a representative
// set of broken 240 x 64 headers. Each must be admitted and converted to the
// right listing, refused with the size box, or reported in a warning box that
// names the file; a refused or failed one ends in the Reset state, writes
// nothing, and leaves the window able to admit and convert a good bitmap.

#include "bmpfixture.h"
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "outputpath.h"
#include "pipeline.h"
#include "sharedstate.h"
#include "windowtesting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();

// A bitmap to write into the folder under name.
struct Case
{
    QString name;
    QByteArray bytes;
};

struct Tally
{
    int tried = 0, converted = 0, refused = 0, failed = 0;
    void count(Ending ending)
    {
        ++tried;
        (ending == Ending::Converted ? converted : ending == Ending::Refused ? refused : failed)++;
    }
    void print(const char *group) const
    {
        std::cout << "[ figures  ] " << group << ": " << tried << " tried, " << converted
                  << " converted, " << refused << " refused, " << failed << " failed" << std::endl;
    }
};

class WindowOverBadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_form.Init_Form();
        m_form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_form));
        m_folder = m_temp.filePath(QStringLiteral("bitmaps"));
        ASSERT_TRUE(QDir().mkpath(m_folder));
        m_scratch = m_temp.filePath(QStringLiteral("scratch"));
        ASSERT_TRUE(QDir().mkpath(m_scratch));
        // The good bitmap, converted once: its listing must outlive every bad one.
        WriteFileOrFail(path("good.bmp"), BandedBmp());
        openFolder();
        choose("good.bmp", false);
        click("ConvertButton");
        ASSERT_EQ(ReadFileOrEmpty(listingOf("good.bmp")), BandedListing(Sense::Normal));
        ASSERT_TRUE(m_messages.boxes.empty());
    }

    template <typename Widget = QWidget>
    Widget *control(const char *name) { return m_form.findChild<Widget *>(QLatin1String(name)); }
    FileList *file1() { return control<FileList>("File1"); }
    QString text(const char *label) { return control<QLabel>(label)->text(); }
    void click(const char *button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }

    QString path(const QString &name) const { return QDir(m_folder).filePath(name); }
    QString listingOf(const QString &name) const { return FormOutputPath(QDir::toNativeSeparators(m_folder), name); }

    void openFolder()
    {
        QString reason;
        ASSERT_TRUE(control<DirList>("Dir1")->setPath(m_folder, reason)) << reason.toStdString();
    }

    // Double-click, or select and press Enter.
    void choose(const QString &name, bool byEnter)
    {
        const QList<QListWidgetItem *> items = file1()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        if (byEnter) {
            file1()->setCurrentItem(items.first());
            QTest::keyClick(file1(), Qt::Key_Return);
        } else {
            file1()->scrollToItem(items.first());
            DoubleClick(file1()->viewport(), file1()->visualItemRect(items.first()).center());
        }
    }

    bool inResetState()
    {
        return !control("ConvertButton")->isEnabled() && !control("PreviewButton")->isEnabled()
               && !control("InverseOption")->isEnabled() && control<QRadioButton>("NormalOption")->isChecked()
               && text("HeightValue").isEmpty() && text("WidthValue").isEmpty() && text("ColorValue").isEmpty()
               && text("StatusValue").isEmpty() && text("OutFileValue").isEmpty() && text("ProgressPer") == "0"
               && control<QLabel>("PreviewPic")->pixmap().isNull() && m_form.resultFlag() == "F"
               && m_state.outputPath.isEmpty();
    }

    // Admits the good bitmap, then chooses name; checks that the window ends
    // in one of the three ways and that nothing new lies in the folder.
    // Returns how it ended.
    Ending chooseAfterGood(const QString &name, bool byEnter)
    {
        const QStringList before = EntriesIn(m_folder);
        choose("good.bmp", !byEnter);
        EXPECT_TRUE(control("ConvertButton")->isEnabled()) << "the good bitmap was not admitted";
        choose(name, byEnter);
        const std::vector<RecordingMessages::Box> boxes = m_messages.take();
        Ending ending = Ending::Converted;
        if (boxes.empty()) {
            EXPECT_TRUE(control("ConvertButton")->isEnabled());
            EXPECT_EQ(text("HeightValue"), "64");
            EXPECT_EQ(control<QLabel>("PreviewPic")->pixmap().size(), QSize(240, 64));
        } else {
            EXPECT_EQ(boxes.size(), 1u);
            const RecordingMessages::Box &box = boxes.front();
            if (box.kind == Messages::Kind::Plain) {
                ending = Ending::Refused;
                EXPECT_EQ(box.title, "Picture Size Error");
                EXPECT_EQ(box.text, QString::fromLatin1(ExpectedRefusal));
            } else {
                ending = Ending::Failed;
                EXPECT_TRUE(box.text.contains(QDir::toNativeSeparators(path(name)))) << box.text.toStdString();
            }
            EXPECT_TRUE(inResetState());
        }
        EXPECT_EQ(EntriesIn(m_folder), before);
        EXPECT_EQ(ReadFileOrEmpty(listingOf("good.bmp")), BandedListing(Sense::Normal));
        EXPECT_TRUE(m_form.isVisible());
        return ending;
    }

    // What the converter's own path makes of the same bytes, elsewhere.
    PathOutcome converterPath(const QString &name)
    {
        const QString copy = QDir(m_scratch).filePath(name);
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(path(name), copy));
        const PathOutcome outcome = ConvertInProcess(copy, QDir(m_scratch).filePath("lcd.txt"));
        QFile::remove(QDir(m_scratch).filePath("lcd.txt"));
        return outcome;
    }

    // A good bitmap is still admitted and converted in both senses.
    void expectStillConverts()
    {
        WriteFileOrFail(path("after.bmp"), BandedBmp());
        openFolder();
        choose("after.bmp", true);
        click("ConvertButton");
        EXPECT_EQ(ReadFileOrEmpty(listingOf("after.bmp")), BandedListing(Sense::Normal));
        control<QRadioButton>("InverseOption")->setChecked(true);
        click("ConvertButton");
        EXPECT_EQ(ReadFileOrEmpty(listingOf("after.bmp")), BandedListing(Sense::Inverse));
        EXPECT_EQ(text("StatusValue"), "Successed");
        EXPECT_TRUE(m_messages.boxes.empty());
    }

    QTemporaryDir m_temp;
    QString m_folder;  // what File1 shows
    QString m_scratch; // where the converter's path writes
    SharedState m_state;
    RecordingMessages m_messages;
    Form1 m_form{m_state, m_messages};
};

TEST_F(WindowOverBadInput, EveryBmpsuiteFileIsRefusedOrFailsCleanly)
{
    QuietDecoderWarnings quiet;
    QStringList names;
    for (const std::string &relative : BmpsuiteFiles()) {
        // One folder for all: "g/pal1.bmp" is copied as g-pal1.bmp.
        const QString copy = QString::fromStdString(relative).replace(QLatin1Char('/'), QLatin1Char('-'));
        ASSERT_TRUE(QFile::copy(BmpsuitePath(relative), path(copy))) << relative;
        names << copy;
    }
    ASSERT_GT(names.size(), 40) << "the bmpsuite corpus is missing or incomplete";
    openFolder();

    Tally tally;
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const Ending ending = chooseAfterGood(name, tally.tried % 2 == 1);
        tally.count(ending);
        EXPECT_NE(ending, Ending::Converted);
        EXPECT_EQ(ending, converterPath(name).ending) << "the window and the converter disagree";
        if (HasFatalFailure())
            return;
    }
    tally.print("bmpsuite through File1");
    expectStillConverts();
}

// Broken headers around the banded 240 x 64 picture: cuts, palettes that are
// not all there, offsets that point anywhere, and odd values of the fields a
// decoder looks at.
std::vector<Case> brokenHeaders()
{
    const QByteArray good = BandedBmp();
    const auto size = good.size();
    std::vector<Case> cases;
    auto add = [&](const QString &name, const QByteArray &bytes) { cases.push_back({name + ".bmp", bytes}); };
    auto field = [&](const char *name, int offset, int width, std::int64_t value) {
        add(QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(value), WithField(good, offset, width, value));
    };

    // Unusual but whole: these are pictures like any other.
    add(QStringLiteral("info108"), BandedBmp(108));
    add(QStringLiteral("info124"), BandedBmp(124));
    add(QStringLiteral("clrused3-palette3"), BandedBmp(40, 3));
    field("clrused", 46, 4, 2);
    field("sizeimage", 34, 4, 0);
    field("bfsize", 2, 4, 0);

    for (qsizetype cut : {0, 1, 2, 14, 18, 29, 30, 53, 54, 57, 58, 61, 62, 63, 62 + 30, 62 + 1919})
        add(QStringLiteral("cut-%1").arg(cut, 4, 10, QLatin1Char('0')), good.left(cut));
    add(QStringLiteral("cut-last-row"), good.left(size - 30));
    add(QStringLiteral("cut-last-byte"), good.left(size - 1));

    for (std::int64_t v : {std::int64_t(1), std::int64_t(3), std::int64_t(256), Int32Max, std::int64_t(-1)})
        field("clrused", 46, 4, v);
    for (std::int64_t v : {0, 14, 54, 57, 58, 61, 63, int(size) - 1, int(size), int(size) + 1})
        field("offbits", 10, 4, v);
    for (std::int64_t v : {Int32Max, std::int64_t(-1), Int32Min})
        field("offbits", 10, 4, v);
    for (std::int64_t v : {0, 12, 39, 41, 64, 108, 124})
        field("bisize", 14, 4, v);
    field("bisize", 14, 4, Int32Max);
    for (std::int64_t v : {0, 2, 4, 8, 16, 24, 32, 30000})
        field("bitcount", 28, 2, v);
    for (std::int64_t v : {0, 30000})
        field("planes", 26, 2, v);
    for (std::int64_t v = 1; v <= 6; ++v)
        field("compression", 30, 4, v);
    for (std::int64_t v : {Int32Min, std::int64_t(-240), Int32Max})
        field("width", 18, 4, v);
    for (std::int64_t v : {Int32Min, std::int64_t(-64), Int32Max})
        field("height", 22, 4, v);
    field("bftype", 0, 2, 0);
    // The palette after the pixel data, and beyond the end of the file.
    QByteArray late = good;
    late.append(late.mid(54, 8));
    PokeLe(late, 14, 4, 40 + int(size) - 54);
    add(QStringLiteral("palette-after-data"), late);
    add(QStringLiteral("palette-past-end"), WithField(good, 14, 4, 40 + int(size)));
    return cases;
}

TEST_F(WindowOverBadInput, BrokenHeadersEndInOneOfThreeWays)
{
    QuietDecoderWarnings quiet;
    const std::vector<Case> cases = brokenHeaders();
    for (const Case &c : cases)
        WriteFileOrFail(path(c.name), c.bytes);
    openFolder();

    Tally tally;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const Ending ending = chooseAfterGood(c.name, tally.tried % 2 == 0);
        tally.count(ending);
        const PathOutcome converter = converterPath(c.name);
        EXPECT_EQ(ending, converter.ending) << "the window and the converter disagree: "
                                            << converter.message.toStdString();
        if (ending == Ending::Converted) {
            click("ConvertButton");
            const QByteArray listing = ReadFileOrEmpty(listingOf(c.name));
            EXPECT_TRUE(listing == BandedListing(Sense::Normal) || listing == AllLitListing())
                << "a listing of another picture";
            EXPECT_EQ(listing, converter.listing);
            EXPECT_EQ(text("StatusValue"), "Successed");
            EXPECT_TRUE(m_messages.boxes.empty());
            ASSERT_TRUE(QFile::remove(listingOf(c.name)));
        }
        if (HasFatalFailure())
            return;
    }
    tally.print("broken headers through File1");
    // Whatever else they do, a palette that is not all there is no listing.
    for (const char *name : {"clrused=1.bmp", "palette-after-data.bmp", "palette-past-end.bmp", "cut-0058.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(chooseAfterGood(QLatin1String(name), false), Ending::Failed);
    }
    expectStillConverts();
}

} // namespace
