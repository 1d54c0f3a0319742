// The main window driven as a user would: the lists, the buttons, the boxes
// (answered through a recording Messages) and the listing on disk.
#include "bmpfixture.h"
#include "dirlist.h"
#include "drivelist.h"
#include "filelist.h"
#include "form1.h"
#include "messages.h"
#include "sharedstate.h"
#include "windowtesting.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <vector>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// A row of the window's state table.
struct WindowState
{
    bool convert = false, preview = false, inverse = false, normal = true;
    QString height, width, color, status, outFile, progress = "0";
    bool picture = false;
    QString flag, outputPath;
    bool operator==(const WindowState &) const = default;
};

void PrintTo(const WindowState &s, std::ostream *out)
{
    *out << "{convert " << s.convert << ", preview " << s.preview << ", inverse " << s.inverse
         << ", normal " << s.normal << ", values \"" << s.height.toStdString() << "\" \""
         << s.width.toStdString() << "\" \"" << s.color.toStdString() << "\", status \""
         << s.status.toStdString() << "\", out \"" << s.outFile.toStdString() << "\", progress \""
         << s.progress.toStdString() << "\", picture " << s.picture << ", flag \""
         << s.flag.toStdString() << "\", path \"" << s.outputPath.toStdString() << "\"}";
}

const WindowState StartUp{};
const WindowState AfterReset{.flag = "F"};

WindowState Admitted(const QString &path)
{
    return {true, false, true, true, "64", "240", "1 Bits  (2 Colors)", "", "", "0", true, "F", path};
}

WindowState Converted(const QString &path, bool normal = true)
{
    return {true, true, true, normal, "64", "240", "1 Bits  (2 Colors)", "Successed", path, "100",
            true, "S", path};
}

// Row 0, columns 0 to 63, of the worked example of the listing format: these
// pixels take palette entry 0 (black), every other pixel entry 1 (white).
int WorkedExample(int x, int y)
{
    static const std::set<int> black{0, 8, 9, 10, 11, 12, 13, 14, 15, 23, 24, 25, 26, 27,
                                     36, 37, 38, 39, 48, 50, 62, 63};
    return y == 0 && black.count(x) ? 0 : 1;
}

QByteArray Listing(const QByteArray &firstLine, const char *otherField)
{
    QByteArray listing = firstLine + "\r\n";
    for (int i = 1; i < 240; ++i)
        listing += RepeatedLine(otherField) + "\r\n";
    return listing;
}

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_form.Init_Form();
        m_form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_form));
    }

    template <typename Widget = QWidget>
    Widget *control(const char *name)
    {
        auto *widget = m_form.findChild<Widget *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    DirList *dir1() { return control<DirList>("Dir1"); }
    FileList *file1() { return control<FileList>("File1"); }
    QString text(const char *label) { return control<QLabel>(label)->text(); }
    void click(const char *button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    void choose(const char *option) { control<QRadioButton>(option)->setChecked(true); }

    WindowState state()
    {
        return {control("ConvertButton")->isEnabled(), control("PreviewButton")->isEnabled(),
                control("InverseOption")->isEnabled(), control<QRadioButton>("NormalOption")->isChecked(),
                text("HeightValue"), text("WidthValue"), text("ColorValue"), text("StatusValue"),
                text("OutFileValue"), text("ProgressPer"),
                !control<QLabel>("PreviewPic")->pixmap().isNull(), m_form.resultFlag(),
                m_state.outputPath};
    }

    QString path(const QString &relative) const { return QDir::cleanPath(m_temp.filePath(relative)); }
    QString listingFor(const QString &folder, const QString &base) const
    {
        return QDir::toNativeSeparators(QDir(path(folder)).filePath("lcd_" + base + ".txt"));
    }
    void writeBmp(const QString &relative, const BmpLayout &bitmap = {})
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        WriteFileOrFail(path(relative), MakeBmp(bitmap));
    }
    void openFolder(const QString &relative)
    {
        QString reason;
        ASSERT_TRUE(dir1()->setPath(path(relative), reason)) << reason.toStdString();
    }
    QStringList files()
    {
        QStringList names;
        for (int i = 0; i < file1()->count(); ++i)
            names << file1()->item(i)->text();
        return names;
    }
    QPoint fileAt(const QString &name)
    {
        const QList<QListWidgetItem *> items = file1()->findItems(name, Qt::MatchExactly);
        EXPECT_EQ(items.size(), 1) << name.toStdString();
        return items.isEmpty() ? QPoint() : file1()->visualItemRect(items.first()).center();
    }
    void clickFile(const QString &name) { QTest::mouseClick(file1()->viewport(), Qt::LeftButton, {}, fileAt(name)); }
    void doubleClickFile(const QString &name) { DoubleClick(file1()->viewport(), fileAt(name)); }
    void doubleClickFolder(const QString &name)
    {
        const auto items = dir1()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        DoubleClick(dir1()->viewport(), dir1()->visualItemRect(items.first()).center());
    }
    std::vector<RecordingMessages::Box> takeBoxes() { return m_messages.take(); }
    void expectOneWarningNaming(const QString &path)
    {
        const auto boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, Messages::Kind::Warning);
        EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(path))) << boxes[0].text.toStdString();
    }

    QTemporaryDir m_temp;
    SharedState m_state;
    RecordingMessages m_messages;
    Form1 m_form{m_state, m_messages};
};

TEST_F(MainWindow, StartsInTheDesignStateInTheProgramsFolder)
{
    EXPECT_EQ(state(), StartUp);
    EXPECT_TRUE(m_messages.boxes.empty());
    EXPECT_EQ(m_form.windowTitle(), "Dotpress-0.1");
    EXPECT_EQ(m_form.size(), QSize(466, 545));
    EXPECT_FALSE(m_form.windowIcon().pixmap(16, 16).isNull());

    const QString programFolder = QDir::cleanPath(QCoreApplication::applicationDirPath());
    EXPECT_EQ(dir1()->path(), programFolder);
    EXPECT_EQ(file1()->path(), programFolder);
    EXPECT_EQ(control<DriveList>("Drive1")->drive(), DriveList::driveOf(programFolder));
    // The build places the samples beside the programs.
    EXPECT_TRUE(files().contains("bit-order.bmp") && files().contains("dotpress-logo.bmp")) << files().join(' ').toStdString();

    // 245 x 69 at 1290, 1140 twips in Frame1, the whole picture inside the border.
    auto *picture = control<QLabel>("PreviewPic");
    EXPECT_EQ(picture->geometry(), QRect(86, 76, 245, 69));
    EXPECT_TRUE(picture->contentsRect().contains(QRect(picture->contentsRect().topLeft(), QSize(240, 64))));

    const QStringList focusable{"Drive1", "Dir1", "File1", "PreviewButton", "ConvertButton",
                                "ResetButton", "ExitButton", "InverseOption", "NormalOption"};
    QStringList tabOrder;
    for (QWidget *w = control("Drive1"); tabOrder.size() < focusable.size() && tabOrder.size() < 200; w = w->nextInFocusChain())
        if (focusable.contains(w->objectName()) && !tabOrder.contains(w->objectName()))
            tabOrder << w->objectName();
    EXPECT_EQ(tabOrder, focusable);
}

TEST_F(MainWindow, FileListShowsBitmapsOfAnyLetterCaseAndAClickOnlySelects)
{
    for (const char *name : {"b.bmp", "A.BMP", "c.Bmp"})
        writeBmp(name);
    for (const char *other : {"notes.txt", "d.bmp.txt", "bmp"})
        WriteFileOrFail(path(other), "x");
    QDir(path("")).mkdir("e.bmp");
    openFolder("");
    EXPECT_EQ(files(), QStringList({"A.BMP", "b.bmp", "c.Bmp"}));

    clickFile("b.bmp");
    EXPECT_EQ(file1()->fileName(), "b.bmp");
    QTest::keyClick(file1(), Qt::Key_Down);
    EXPECT_EQ(file1()->fileName(), "c.Bmp");
    EXPECT_EQ(state(), StartUp);
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(MainWindow, AdmitsOnDoubleClickOrEnterAndRefusesWithTheSizeBox)
{
    writeBmp("good.bmp");
    writeBmp("Other.BMP");
    writeBmp("4bit.bmp", {.bitCount = 4});
    writeBmp("turned.bmp", {.width = 64, .height = 240});
    writeBmp("wider.bmp", {.width = 241});
    QByteArray topDown = MakeBmp({});
    PokeLe(topDown, 22, 4, -64);
    WriteFileOrFail(path("topdown.bmp"), topDown);
    openFolder("");

    doubleClickFile("good.bmp");
    EXPECT_EQ(state(), Admitted(listingFor("", "good")));
    EXPECT_EQ(control<QLabel>("PreviewPic")->pixmap().size(), QSize(240, 64));
    // Admitting again while Inverse is selected selects Normal.
    choose("InverseOption");
    click("ConvertButton");
    clickFile("Other.BMP");
    QTest::keyClick(file1(), Qt::Key_Return);
    EXPECT_EQ(state(), Admitted(listingFor("", "Other")));
    EXPECT_TRUE(m_messages.boxes.empty());

    for (const char *refused : {"4bit.bmp", "turned.bmp", "wider.bmp", "topdown.bmp"}) {
        SCOPED_TRACE(refused);
        doubleClickFile("good.bmp");
        doubleClickFile(refused);
        const auto boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, Messages::Kind::Plain);
        EXPECT_EQ(boxes[0].title, "Picture Size Error");
        EXPECT_EQ(boxes[0].text, "Picture Resolution is limit to 240 x 64 pixels (Width x Height) and "
                                 "\r\n2 Colors Bitmap.");
        EXPECT_EQ(state(), AfterReset);
        EXPECT_EQ(file1()->fileName(), refused);
    }
}

TEST_F(MainWindow, ConvertsThePictureOnDisplayInBothSenses)
{
    writeBmp("example.bmp", {.index = WorkedExample});
    openFolder("");
    doubleClickFile("example.bmp");
    const QString listing = listingFor("", "example");

    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(ReadFileOrEmpty(listing), Listing("        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;", "00H"));

    choose("InverseOption");
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing, false));
    EXPECT_EQ(ReadFileOrEmpty(listing), Listing("        DB FEH,00H,7FH,F0H,0FH,FFH,FAH,3FH;", "FFH"));
    EXPECT_TRUE(m_messages.boxes.empty());
}

// Records the text of a label each time it is painted.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QLabel *label) : m_label(label) { label->installEventFilter(this); }
    ~PaintRecorder() override { m_label->removeEventFilter(this); }
    QStringList painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted << m_label->text();
        return false;
    }

private:
    QLabel *m_label;
};

TEST_F(MainWindow, PercentageIsPaintedAtEachStepWhileTheRunHoldsTheEventLoop)
{
    writeBmp("logo.bmp");
    openFolder("");
    doubleClickFile("logo.bmp");
    QCoreApplication::processEvents();

    QStringList expected;
    for (int percent = 0; percent <= 100; ++percent)
        expected << QString::number(percent);
    for (int run = 0; run < 2; ++run) {
        PaintRecorder recorder(control<QLabel>("ProgressPer"));
        click("ConvertButton");
        EXPECT_EQ(recorder.painted, expected);
    }
}

TEST_F(MainWindow, FailedSelectionIsReportedAndEndsAsReset)
{
    writeBmp("good.bmp");
    writeBmp("gone.bmp");
    QByteArray cut = MakeBmp({});
    cut.chop(100);
    WriteFileOrFail(path("cut.bmp"), cut);
    openFolder("");
    ASSERT_TRUE(QFile::remove(path("gone.bmp")));

    for (const char *bad : {"gone.bmp", "cut.bmp"}) {
        SCOPED_TRACE(bad);
        doubleClickFile("good.bmp");
        doubleClickFile(bad);
        expectOneWarningNaming(path(bad));
        EXPECT_EQ(state(), AfterReset);
    }
}

TEST_F(MainWindow, FailedWriteShowsFailedAndTheWindowCarriesOn)
{
    writeBmp("logo.bmp");
    openFolder("");
    doubleClickFile("logo.bmp");
    const QString listing = listingFor("", "logo");
    click("ConvertButton");
    ASSERT_EQ(state(), Converted(listing));

    // A folder where the listing should go cannot be replaced by a file.
    ASSERT_TRUE(QFile::remove(listing));
    ASSERT_TRUE(QDir().mkdir(listing));
    click("ConvertButton");
    WindowState failed = Admitted(listing);
    failed.status = "Failed";
    failed.progress = state().progress; // as far as the run got
    EXPECT_EQ(state(), failed);
    expectOneWarningNaming(listing);

    ASSERT_TRUE(QDir().rmdir(listing));
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
}

TEST_F(MainWindow, ListsBrowseAndStayOnTheLastGoodFolderOrDrive)
{
    writeBmp("top.bmp");
    writeBmp("inner/low.bmp");
    QDir(path("")).mkdir("vanishing");
    openFolder("");

    doubleClickFolder("inner");
    EXPECT_EQ(dir1()->path(), path("inner"));
    EXPECT_EQ(files(), QStringList{"low.bmp"});
    dir1()->setCurrentItem(dir1()->currentItem()->parent());
    QTest::keyClick(dir1(), Qt::Key_Return);
    EXPECT_EQ(dir1()->path(), path(""));

    ASSERT_TRUE(QDir(path("")).rmdir("vanishing"));
    doubleClickFolder("vanishing");
    expectOneWarningNaming(path("vanishing"));
    EXPECT_EQ(dir1()->path(), path(""));
    EXPECT_EQ(file1()->path(), path(""));
    EXPECT_EQ(files(), QStringList{"top.bmp"});

    auto *drive1 = control<DriveList>("Drive1");
    const QString goodDrive = drive1->drive();
    drive1->setDrive(path("no-such-volume"));
    expectOneWarningNaming(path("no-such-volume"));
    EXPECT_EQ(drive1->drive(), goodDrive);
    EXPECT_EQ(dir1()->path(), path(""));
    EXPECT_EQ(state(), StartUp);
}

TEST_F(MainWindow, ListingGoesBesideTheAdmittedBitmapWhateverTheListsShow)
{
    writeBmp("a/first.bmp");
    writeBmp("b/second.bmp");
    QDir(path("")).mkdir("empty");
    openFolder("a");
    doubleClickFile("first.bmp");
    const QString listing = listingFor("a", "first");
    const WindowState admitted = state();

    // Browsing after the admission changes nothing of the window.
    openFolder("b");
    clickFile("second.bmp");
    EXPECT_EQ(state(), admitted);
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(ReadFileOrEmpty(listing).size(), 10800);
    EXPECT_FALSE(QFile::exists(path("b/lcd_second.txt")));

    // Nor does a folder with nothing selected give a listing called "lcd_".
    openFolder("empty");
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(QDir(path("empty")).entryList(QDir::Files), QStringList());
}

TEST_F(MainWindow, ResetClearsAllButTheListsAndExitClosesTheWindow)
{
    click("ResetButton");
    EXPECT_EQ(state(), AfterReset);

    writeBmp("logo.bmp");
    openFolder("");
    doubleClickFile("logo.bmp");
    choose("InverseOption");
    click("ConvertButton");
    click("ResetButton");
    EXPECT_EQ(state(), AfterReset);
    EXPECT_EQ(file1()->fileName(), "logo.bmp");

    click("ExitButton");
    EXPECT_FALSE(m_form.isVisible());
}

} // namespace
