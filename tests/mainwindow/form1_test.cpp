// The main window driven as a user would: the lists, the buttons, the boxes
// (answered through a recording Messages) and the listing on disk.
#include "bmpfixture.h"
#include "dirlist.h"
#include "drivelist.h"
#include "filelist.h"
#include "form1.h"
#include "messages.h"
#include "sharedstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <vector>

// Readable failure messages for texts.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// What a window system sends for a double-click.
void DoubleClick(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

class RecordingMessages : public Messages
{
public:
    struct Box
    {
        Kind kind;
        QString title;
        QString text;
    };
    void show(QWidget *, Kind kind, const QString &title, const QString &text) override
    {
        boxes.push_back({kind, title, text});
    }
    std::vector<Box> boxes;
};

// What the state table of the window speaks of.
struct WindowState
{
    bool convertEnabled = false;
    bool previewEnabled = false;
    bool inverseEnabled = false;
    bool normalSelected = true;
    QString height, width, color, status, outFile, progress;
    bool picture = false;
    QString resultFlag;
    QString outputPath;
    bool operator==(const WindowState &) const = default;
};

void PrintTo(const WindowState &s, std::ostream *out)
{
    *out << "{convert " << s.convertEnabled << ", preview " << s.previewEnabled << ", inverse "
         << s.inverseEnabled << ", normal " << s.normalSelected << ", values \""
         << s.height.toStdString() << "\" \"" << s.width.toStdString() << "\" \""
         << s.color.toStdString() << "\", status \"" << s.status.toStdString() << "\", out \""
         << s.outFile.toStdString() << "\", progress \"" << s.progress.toStdString()
         << "\", picture " << s.picture << ", flag \"" << s.resultFlag.toStdString()
         << "\", path \"" << s.outputPath.toStdString() << "\"}";
}

const WindowState StartUp{false, false, false, true, "", "", "", "", "", "0", false, "", ""};

WindowState AfterReset()
{
    WindowState state = StartUp;
    state.resultFlag = "F";
    return state;
}

WindowState Admitted(const QString &outputPath)
{
    return {true, false, true, true, "64", "240", "1 Bits  (2 Colors)", "", "", "0", true, "F",
            outputPath};
}

WindowState Converted(const QString &outputPath, bool normal = true)
{
    return {true, true, true, normal, "64", "240", "1 Bits  (2 Colors)", "Successed", outputPath,
            "100", true, "S", outputPath};
}

// Row 0, columns 0 to 63, of the worked example: these pixels take palette
// entry 0 (black), every other pixel entry 1 (white).
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

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
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
    QString text(const char *name) { return control<QLabel>(name)->text(); }
    void click(const char *button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }

    WindowState state()
    {
        const QPixmap picture = control<QLabel>("PreviewPic")->pixmap();
        return {control("ConvertButton")->isEnabled(), control("PreviewButton")->isEnabled(),
                control("InverseOption")->isEnabled(),
                control<QRadioButton>("NormalOption")->isChecked(), text("HeightValue"),
                text("WidthValue"), text("ColorValue"), text("StatusValue"), text("OutFileValue"),
                text("ProgressPer"), !picture.isNull(), m_form.resultFlag(), m_state.outputPath};
    }

    QString path(const QString &relative) const { return m_temp.filePath(relative); }
    void writeBmp(const QString &relative, const BmpSpec &spec = {})
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        WriteFileOrFail(path(relative), MakeBmp(spec));
    }
    void openFolder(const QString &folder)
    {
        QString reason;
        ASSERT_TRUE(dir1()->setPath(folder, reason)) << reason.toStdString();
    }

    QListWidgetItem *fileItem(const QString &name)
    {
        const QList<QListWidgetItem *> items = file1()->findItems(name, Qt::MatchExactly);
        EXPECT_EQ(items.size(), 1) << name.toStdString();
        return items.value(0);
    }
    void clickFile(const QString &name)
    {
        if (QListWidgetItem *item = fileItem(name))
            QTest::mouseClick(file1()->viewport(), Qt::LeftButton, {},
                              file1()->visualItemRect(item).center());
    }
    void doubleClickFile(const QString &name)
    {
        if (QListWidgetItem *item = fileItem(name))
            DoubleClick(file1()->viewport(), file1()->visualItemRect(item).center());
    }
    void doubleClickFolder(const QString &name)
    {
        const QList<QTreeWidgetItem *> items =
            dir1()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        DoubleClick(dir1()->viewport(), dir1()->visualItemRect(items.first()).center());
    }
    // Opens folder and double-clicks name in it.
    void admit(const QString &folder, const QString &name)
    {
        openFolder(folder);
        doubleClickFile(name);
    }
    QString listingFor(const QString &relativeBitmap) const
    {
        const QFileInfo bitmap(path(relativeBitmap));
        return Native(bitmap.path() + "/lcd_" + bitmap.completeBaseName() + ".txt");
    }

    std::vector<RecordingMessages::Box> takeBoxes() { return std::exchange(m_messages.boxes, {}); }

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
    EXPECT_NE(fileItem("bit-order.bmp"), nullptr);
    EXPECT_NE(fileItem("dotpress-logo.bmp"), nullptr);
    EXPECT_TRUE(file1()->fileName().isEmpty());

    // Placed by Init_Form: 245 x 69 at 1290, 1140 twips in Frame1, with the
    // whole picture inside the border.
    auto *picture = control<QLabel>("PreviewPic");
    EXPECT_EQ(picture->parentWidget(), control("Frame1"));
    EXPECT_EQ(picture->geometry(), QRect(86, 76, 245, 69));
    EXPECT_GE(picture->contentsRect().width(), 240);
    EXPECT_GE(picture->contentsRect().height(), 64);
    // Frame3, inside Frame2, boxes the options and two of the window's buttons.
    auto *frame3 = control("Frame3");
    EXPECT_EQ(QRect(frame3->mapTo(&m_form, QPoint(0, 0)), frame3->size()), QRect(40, 384, 305, 49));
    EXPECT_EQ(control("ConvertButton")->parentWidget(), &m_form);

    const QString notice = text("CopyRightLabel");
    EXPECT_EQ(notice.count('\n'), 1);
    EXPECT_EQ(control("CopyRightLabel")->font().pointSizeF(), 8.25);
}

TEST_F(MainWindow, TabOrderFollowsTheDesign)
{
    const QStringList focusable{"Drive1", "Dir1", "File1", "PreviewButton", "ConvertButton",
                                "ResetButton", "ExitButton", "InverseOption", "NormalOption"};
    QStringList chain;
    QWidget *widget = control("Drive1");
    for (int i = 0; i < 200 && chain.size() < focusable.size(); ++i, widget = widget->nextInFocusChain()) {
        if (focusable.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
    }
    EXPECT_EQ(chain, focusable);
}

TEST_F(MainWindow, FileListShowsBitmapsOfAnyLetterCaseByName)
{
    for (const char *name : {"b.bmp", "A.BMP", "c.Bmp"})
        writeBmp(name);
    for (const char *other : {"notes.txt", "d.bmp.txt", "bmp"})
        WriteFileOrFail(path(other), "x");
    QDir(m_temp.path()).mkdir("e.bmp");
    openFolder(m_temp.path());

    QStringList names;
    for (int i = 0; i < file1()->count(); ++i)
        names << file1()->item(i)->text();
    EXPECT_EQ(names, QStringList({"A.BMP", "b.bmp", "c.Bmp"}));

    // A single click, or the arrow keys, only select.
    clickFile("b.bmp");
    EXPECT_EQ(file1()->fileName(), "b.bmp");
    QTest::keyClick(file1(), Qt::Key_Down);
    EXPECT_EQ(file1()->fileName(), "c.Bmp");
    EXPECT_EQ(state(), StartUp);
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(MainWindow, AdmitsOnDoubleClickOrEnter)
{
    writeBmp("one.bmp");
    writeBmp("Two.BMP");
    admit(m_temp.path(), "one.bmp");
    EXPECT_EQ(state(), Admitted(listingFor("one.bmp")));
    EXPECT_EQ(control<QLabel>("PreviewPic")->pixmap().size(), QSize(240, 64));

    // Admitting while Inverse is selected selects Normal again.
    control<QRadioButton>("InverseOption")->setChecked(true);
    click("ConvertButton");
    clickFile("Two.BMP");
    QTest::keyClick(file1(), Qt::Key_Return);
    EXPECT_EQ(state(), Admitted(Native(path("lcd_Two.txt"))));
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(MainWindow, RefusesWithTheSizeBoxThenResets)
{
    writeBmp("good.bmp");
    BmpSpec fourBits;
    fourBits.bitCount = 4;
    BmpSpec turned;
    turned.width = 64;
    turned.height = 240;
    BmpSpec wider;
    wider.width = 241;
    writeBmp("4bit.bmp", fourBits);
    writeBmp("turned.bmp", turned);
    writeBmp("wider.bmp", wider);
    QByteArray topDown = MakeBmp({});
    PokeLe(topDown, 22, 4, -64);
    WriteFileOrFail(path("topdown.bmp"), topDown);
    openFolder(m_temp.path());

    for (const char *refused : {"4bit.bmp", "turned.bmp", "wider.bmp", "topdown.bmp"}) {
        SCOPED_TRACE(refused);
        doubleClickFile("good.bmp");
        ASSERT_EQ(state(), Admitted(listingFor("good.bmp")));
        doubleClickFile(refused);
        const auto boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, Messages::Kind::Plain);
        EXPECT_EQ(boxes[0].title, "Picture Size Error");
        EXPECT_EQ(boxes[0].text, "Picture Resolution is limit to 240 x 64 pixels (Width x Height) and "
                                 "\r\n2 Colors Bitmap.");
        EXPECT_EQ(state(), AfterReset());
        EXPECT_EQ(file1()->fileName(), refused);
    }
}

TEST_F(MainWindow, ConvertsThePictureOnDisplayInBothSenses)
{
    BmpSpec example;
    example.index = WorkedExample;
    writeBmp("example.bmp", example);
    admit(m_temp.path(), "example.bmp");
    const QString listing = listingFor("example.bmp");

    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(ReadFileOrEmpty(listing),
              Listing("        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;", "00H"));

    control<QRadioButton>("InverseOption")->setChecked(true);
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing, false));
    EXPECT_EQ(ReadFileOrEmpty(listing),
              Listing("        DB FEH,00H,7FH,F0H,0FH,FFH,FAH,3FH;", "FFH"));
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
    admit(m_temp.path(), "logo.bmp");
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
    openFolder(m_temp.path());
    ASSERT_TRUE(QFile::remove(path("gone.bmp")));

    for (const char *bad : {"gone.bmp", "cut.bmp"}) {
        SCOPED_TRACE(bad);
        doubleClickFile("good.bmp");
        doubleClickFile(bad);
        const auto boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, Messages::Kind::Warning);
        EXPECT_TRUE(boxes[0].text.contains(Native(path(bad)))) << boxes[0].text.toStdString();
        EXPECT_EQ(state(), AfterReset());
    }
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(MainWindow, FailedWriteShowsFailedAndTheWindowCarriesOn)
{
    writeBmp("logo.bmp");
    admit(m_temp.path(), "logo.bmp");
    const QString listing = listingFor("logo.bmp");
    click("ConvertButton");
    ASSERT_EQ(state(), Converted(listing));

    // A folder where the listing should go cannot be replaced by a file.
    ASSERT_TRUE(QFile::remove(listing));
    ASSERT_TRUE(QDir().mkdir(listing));
    click("ConvertButton");
    WindowState failed = Converted(listing);
    failed.previewEnabled = false;
    failed.status = "Failed";
    failed.outFile.clear();
    failed.resultFlag = "F";
    failed.progress = state().progress; // as far as the run got
    EXPECT_EQ(state(), failed);
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Messages::Kind::Warning);
    EXPECT_TRUE(boxes[0].text.contains(listing)) << boxes[0].text.toStdString();

    ASSERT_TRUE(QDir().rmdir(listing));
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(ReadFileOrEmpty(listing).size(), 10800);
}

TEST_F(MainWindow, ListsBrowseAndStayOnTheLastGoodFolder)
{
    writeBmp("top.bmp");
    writeBmp("inner/low.bmp");
    QDir(m_temp.path()).mkdir("vanishing");
    openFolder(m_temp.path());

    doubleClickFolder("inner");
    EXPECT_EQ(dir1()->path(), QDir::cleanPath(path("inner")));
    EXPECT_NE(fileItem("low.bmp"), nullptr);
    // Enter on the highlighted parent goes back up.
    dir1()->setCurrentItem(dir1()->currentItem()->parent());
    QTest::keyClick(dir1(), Qt::Key_Return);
    EXPECT_EQ(dir1()->path(), QDir::cleanPath(m_temp.path()));

    ASSERT_TRUE(QDir(m_temp.path()).rmdir("vanishing"));
    doubleClickFolder("vanishing");
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(Native(path("vanishing")))) << boxes[0].text.toStdString();
    EXPECT_EQ(dir1()->path(), QDir::cleanPath(m_temp.path()));
    EXPECT_EQ(file1()->path(), QDir::cleanPath(m_temp.path()));
    EXPECT_NE(fileItem("top.bmp"), nullptr);

    // A drive that cannot be opened leaves the lists where they were.
    auto *drive1 = control<DriveList>("Drive1");
    const QString goodDrive = drive1->drive();
    drive1->setDrive(path("no-such-volume"));
    EXPECT_EQ(takeBoxes().size(), 1u);
    EXPECT_EQ(drive1->drive(), goodDrive);
    EXPECT_EQ(dir1()->path(), QDir::cleanPath(m_temp.path()));
    EXPECT_EQ(state(), StartUp);
}

TEST_F(MainWindow, ListingGoesBesideTheAdmittedBitmapWhateverTheListsShow)
{
    writeBmp("a/first.bmp");
    writeBmp("b/second.bmp");
    QDir(m_temp.path()).mkdir("empty");
    admit(path("a"), "first.bmp");
    const QString listing = listingFor("a/first.bmp");
    const WindowState admitted = state();

    // Browsing after the admission changes nothing of the window.
    openFolder(path("b"));
    clickFile("second.bmp");
    EXPECT_EQ(state(), admitted);
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(ReadFileOrEmpty(listing).size(), 10800);
    EXPECT_FALSE(QFile::exists(path("b/lcd_second.txt")));

    // Nor does a folder with nothing selected give a listing called "lcd_".
    openFolder(path("empty"));
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
    EXPECT_EQ(QDir(path("empty")).entryList(QDir::Files), QStringList());
}

TEST_F(MainWindow, ResetClearsEverythingButTheLists)
{
    click("ResetButton");
    EXPECT_EQ(state(), AfterReset());

    writeBmp("logo.bmp");
    admit(m_temp.path(), "logo.bmp");
    control<QRadioButton>("InverseOption")->setChecked(true);
    click("ConvertButton");
    click("ResetButton");
    EXPECT_EQ(state(), AfterReset());
    EXPECT_EQ(file1()->fileName(), "logo.bmp");
    EXPECT_EQ(m_state.headers.biWidth, 240);
}

TEST_F(MainWindow, ExitClosesTheWindow)
{
    writeBmp("logo.bmp");
    admit(m_temp.path(), "logo.bmp");
    click("ExitButton");
    EXPECT_FALSE(m_form.isVisible());
}

} // namespace
