// The main window driven as a user would, with the state table checked after
// each event and the listings against fixed bytes.
#include "drivelist.h"
#include "windowtesting.h"

#include <QCoreApplication>

namespace {

using MainWindow = WindowTest;

// Records the text of a label each time it is painted.
struct PaintRecorder : QObject
{
    explicit PaintRecorder(QLabel *label) : label(label) { label->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted << label->text();
        return false;
    }
    QLabel *label;
    QStringList painted;
};

void ExpectOneBox(RecordingMessages &messages, Messages::Kind kind, const QString &naming)
{
    const auto boxes = messages.take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, kind);
    EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(naming))) << boxes[0].text.toStdString();
}

TEST_F(MainWindow, StartsInTheProgramsFolderAndBrowsesStayingOnTheLastGoodFolderOrDrive)
{
    EXPECT_EQ(state(), StartUp);
    EXPECT_EQ(form.windowTitle(), "Dotpress-0.1");
    const QString programFolder = QDir::cleanPath(QCoreApplication::applicationDirPath());
    EXPECT_EQ(file1()->path(), programFolder);
    EXPECT_EQ(control<DriveList>("Drive1")->drive(), DriveList::driveOf(programFolder));
    EXPECT_EQ(file1()->findItems("dotpress-logo.bmp", Qt::MatchExactly).size(), 1);

    for (const char *folder : {"inner", "e.bmp", "vanishing"})
        QDir(path()).mkpath(folder);
    for (const char *name : {"b.bmp", "A.BMP", "c.Bmp", "notes.txt", "inner/low.bmp"})
        WriteFileOrFail(path(name), MakeBmp({}));
    openFolder();
    const QStringList bitmaps{"A.BMP", "b.bmp", "c.Bmp"};
    EXPECT_EQ(files(), bitmaps);
    // A click or an arrow key only selects.
    QTest::mouseClick(file1()->viewport(), Qt::LeftButton, {}, file1()->visualItemRect(file1()->item(1)).center());
    QTest::keyClick(file1(), Qt::Key_Down);
    EXPECT_EQ(file1()->fileName(), "c.Bmp");
    auto *dir1 = control<DirList>("Dir1");
    auto openInDir1 = [&](const char *name) {
        const auto items = dir1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1);
        DoubleClick(dir1->viewport(), dir1->visualItemRect(items.first()).center());
    };
    openInDir1("inner");
    EXPECT_EQ(files(), QStringList{"low.bmp"});
    dir1->setCurrentItem(dir1->currentItem()->parent());
    QTest::keyClick(dir1, Qt::Key_Return);
    EXPECT_EQ(file1()->path(), path());

    // A folder or a drive that cannot be opened leaves the lists where they were.
    ASSERT_TRUE(QDir(path()).rmdir("vanishing"));
    openInDir1("vanishing");
    ExpectOneBox(messages, Messages::Kind::Warning, path("vanishing"));
    auto *drive1 = control<DriveList>("Drive1");
    const QString goodDrive = drive1->drive();
    drive1->setDrive(path("no-such-volume"));
    ExpectOneBox(messages, Messages::Kind::Warning, path("no-such-volume"));
    EXPECT_EQ(drive1->drive(), goodDrive);
    EXPECT_EQ(files(), bitmaps);
    EXPECT_EQ(state(), StartUp);
}

TEST_F(MainWindow, AdmitsOnDoubleClickOrEnterAndRefusesWithTheSizeBox)
{
    QByteArray topDown = MakeBmp({});
    PokeLe(topDown, 22, 4, -64);
    WriteFileOrFail(path("topdown.bmp"), topDown);
    WriteFileOrFail(path("4bit.bmp"), MakeBmp({.bitCount = 4}));
    WriteFileOrFail(path("turned.bmp"), MakeBmp({.width = 64, .height = 240}));
    for (const char *name : {"good.bmp", "Other.BMP"})
        WriteFileOrFail(path(name), MakeBmp({}));
    openFolder();

    choose("good.bmp");
    EXPECT_EQ(state(), Admitted(listingFor("", "good")));
    EXPECT_EQ(control<QLabel>("PreviewPic")->pixmap().size(), QSize(240, 64));
    // Admitting again after an Inverse conversion selects Normal.
    click("InverseOption");
    click("ConvertButton");
    choose("Other.BMP", true);
    EXPECT_EQ(state(), Admitted(listingFor("", "Other")));
    EXPECT_TRUE(messages.boxes.empty());

    for (const char *refused : {"4bit.bmp", "turned.bmp", "topdown.bmp"}) {
        SCOPED_TRACE(refused);
        choose("good.bmp");
        choose(refused);
        const auto boxes = messages.take();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, Messages::Kind::Plain);
        EXPECT_EQ(boxes[0].title, "Picture Size Error");
        EXPECT_EQ(boxes[0].text, "Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap.");
        EXPECT_EQ(state(), AfterReset);
    }
}

TEST_F(MainWindow, ConvertsInBothSensesPaintingEachPercentage)
{
    WriteFileOrFail(path("example.bmp"), MakeBmp({.index = [](int x, int y) { return y == 0 && WorkedExampleOn(x) ? 0 : 1; }}));
    openFolder();
    choose("example.bmp");
    QCoreApplication::processEvents();
    QStringList percentages;
    for (int percent = 0; percent <= 100; ++percent)
        percentages << QString::number(percent);

    const char *senses[][3] = {{"NormalOption", WorkedExampleLine, "00H"},
                               {"InverseOption", "        DB FEH,00H,7FH,F0H,0FH,FFH,FAH,3FH;", "FFH"}};
    for (const auto &[option, firstLine, otherField] : senses) {
        SCOPED_TRACE(option);
        click(option);
        PaintRecorder recorder(control<QLabel>("ProgressPer"));
        click("ConvertButton");
        // The run holds the event loop: each step is painted there and then.
        EXPECT_EQ(recorder.painted, percentages);
        EXPECT_EQ(state(), Converted(listingFor("", "example"), option[0] == 'N'));
        EXPECT_EQ(ReadFileOrEmpty(listingFor("", "example")), UniformListing(otherField, {{0, firstLine}}));
    }
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(MainWindow, FailuresAreReportedAndTheWindowCarriesOn)
{
    for (const char *name : {"logo.bmp", "gone.bmp"})
        WriteFileOrFail(path(name), MakeBmp({}));
    WriteFileOrFail(path("cut.bmp"), MakeBmp({}).chopped(100));
    openFolder();
    ASSERT_TRUE(QFile::remove(path("gone.bmp")));
    for (const char *bad : {"gone.bmp", "cut.bmp"}) {
        choose("logo.bmp");
        choose(bad);
        ExpectOneBox(messages, Messages::Kind::Warning, path(bad));
        EXPECT_EQ(state(), AfterReset) << bad;
    }

    // A folder where the listing should go: the write fails.
    choose("logo.bmp");
    const QString listing = listingFor("", "logo");
    ASSERT_TRUE(QDir().mkdir(listing));
    click("ConvertButton");
    WindowState failed = Admitted(listing);
    failed.status = "Failed";
    failed.progress = state().progress; // as far as the run got
    EXPECT_EQ(state(), failed);
    ExpectOneBox(messages, Messages::Kind::Warning, listing);
    ASSERT_TRUE(QDir().rmdir(listing));
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing));
}

TEST_F(MainWindow, ListingGoesBesideTheAdmittedBitmapWhateverTheListsShowUntilReset)
{
    click("ResetButton");
    EXPECT_EQ(state(), AfterReset);
    for (const char *folder : {"a", "b", "empty"})
        QDir(path()).mkpath(folder);
    WriteFileOrFail(path("a/first.bmp"), MakeBmp({}));
    WriteFileOrFail(path("b/second.bmp"), MakeBmp({}));
    openFolder("a");
    choose("first.bmp");
    const QString listing = listingFor("a", "first");

    // Browsing after the admission changes nothing of the window.
    openFolder("b");
    QTest::mouseClick(file1()->viewport(), Qt::LeftButton, {}, file1()->visualItemRect(file1()->item(0)).center());
    EXPECT_EQ(state(), Admitted(listing));
    click("InverseOption");
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing, false));
    EXPECT_EQ(ReadFileOrEmpty(listing), UniformListing("FFH"));
    EXPECT_FALSE(QFile::exists(path("b/lcd_second.txt")));
    // Nor does a folder with nothing selected give a listing called "lcd_".
    openFolder("empty");
    click("ConvertButton");
    EXPECT_EQ(state(), Converted(listing, false));
    EXPECT_EQ(QDir(path("empty")).entryList(QDir::Files), QStringList());

    click("ResetButton");
    EXPECT_EQ(state(), AfterReset);
    EXPECT_EQ(file1()->path(), path("empty"));
    click("ExitButton");
    EXPECT_FALSE(form.isVisible());
}

} // namespace
