// The main window driven headless as a user would: controls found by name,
// the lists on a temporary folder, boxes answered by a recorder. Start-up,
// then a table of events with the state each run leaves, the box it raised
// and the listing it wrote, against the listings in tests/data/.
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "sharedstate.h"
#include "bmpfixture.h"
#include "windowtesting.h"

namespace {

// The controls a user sees, the result flag and where the listing goes ("<tmp>" the test's folder).
struct WindowState
{
    bool convert = false, preview = false, inverse = false, normal = true;
    QRgb picture = 0; // PreviewPic's top left pixel, 0 when it is empty
    QString heightByWidth, color, status, outFile, progress = "0", flag, listing;
    bool operator==(const WindowState &) const = default;
    friend void PrintTo(const WindowState &s, std::ostream *out)
    {
        *out << "{convert " << s.convert << ", preview " << s.preview << ", inverse " << s.inverse << ", normal " << s.normal
             << ", picture " << std::hex << s.picture << std::dec;
        for (const QString &text : {s.heightByWidth, s.color, s.status, s.outFile, s.progress, s.flag, s.listing})
            *out << ", \"" << text.toStdString() << '"';
        *out << '}';
    }
};

const WindowState StartUp{};
const WindowState AfterReset{.flag = "F"};
WindowState Admitted(const QString &listing)
{
    return {.convert = true, .inverse = true, .picture = Red, .heightByWidth = "64 x 240", .color = "1 Bits  (2 Colors)", .flag = "F", .listing = listing};
}
WindowState Converted(const QString &listing, bool normal = true, QRgb picture = Red)
{
    return {true, true, true, normal, picture, "64 x 240", "1 Bits  (2 Colors)", "Successed", listing, "100", "S", listing};
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The worked example in palette colour 0, red, on colour 1, blue.
        QImage example(240, 64, QImage::Format_Mono);
        example.setColorTable({Red, Blue});
        example.fill(1);
        for (int x : WorkedExampleColumns)
            example.setPixel(x, 0, 0);
        QBuffer buffer(&m_example);
        ASSERT_TRUE(m_temp.isValid() && example.save(&buffer, "BMP"));
        write("example.bmp", m_example);
        m_form.Init_Form();
        m_form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_form));
    }

    template <typename Widget = QWidget>
    Widget *control(const char *name) { return m_form.findChild<Widget *>(name); }
    void click(const char *button) { QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton); }
    QString path(const QString &relative) const { return QDir::toNativeSeparators(m_temp.filePath(relative)); }
    QString local(QString text) const { return text.replace(QDir::toNativeSeparators(m_temp.path()), "<tmp>"); }
    void openFolder(const QString &relative = {}) { ASSERT_TRUE(control<DirList>("Dir1")->setPath(m_temp.filePath(relative), m_reason)); }
    // Selects name in File1 with a click and takes it with Enter.
    void choose(const QString &name)
    {
        auto *file1 = control<FileList>("File1");
        const QRect item = file1->visualItemRect(file1->findItems(name, Qt::MatchExactly).value(0));
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, item.center());
        QTest::keyClick(file1, Qt::Key_Return);
    }
    QString text(const char *label) { return local(control<QLabel>(label)->text()); }
    WindowState state()
    {
        const QImage picture = control<QLabel>("PreviewPic")->pixmap().toImage();
        return {control("ConvertButton")->isEnabled(), control("PreviewButton")->isEnabled(), control("InverseOption")->isEnabled(),
                control<QRadioButton>("NormalOption")->isChecked(), picture.isNull() ? 0 : picture.pixel(0, 0),
                text("HeightValue") + (text("HeightValue").isEmpty() ? "" : " x ") + text("WidthValue"), text("ColorValue"),
                text("StatusValue"), text("OutFileValue"), text("ProgressPer"), m_form.resultFlag(), local(m_shared.outputPath)};
    }
    void write(const QString &name, const QByteArray &bytes) { WriteFileOrFail(path(name), bytes); }

    QTemporaryDir m_temp;
    QByteArray m_example; // example.bmp
    QString m_reason;
    SharedState m_shared;
    RecordingMessages m_messages;
    Form1 m_form{m_shared, m_messages};
};

using MainWindow = WindowTest;

TEST_F(MainWindow, StartsBesideTheProgramOrAtHomeWhenInstalled)
{
    EXPECT_EQ(state(), StartUp);
    EXPECT_EQ(control<FileList>("File1")->path(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
    // A volume is chosen even where the mount table does not list it (a chroot).
    EXPECT_FALSE(control<QComboBox>("Drive1")->currentData().toString().isEmpty());
    ASSERT_TRUE(QDir(m_temp.path()).mkpath("share/dotpress/samples") && QDir(m_temp.path()).mkpath("bin"));
    EXPECT_EQ(StartFolder(m_temp.filePath("bin")), QDir::homePath());
}

TEST_F(MainWindow, FilesListsTheBitmapsByNameWhateverTheirCase)
{
    for (const char *name : {"b.bmp", "C.BMP", "a.Bmp", "d.txt"})
        write(name, m_example);
    openFolder();
    QStringList names;
    for (int i = 0; i < control<FileList>("File1")->count(); ++i)
        names << control<FileList>("File1")->item(i)->text();
    EXPECT_EQ(names, QStringList({"a.Bmp", "b.bmp", "C.BMP", "example.bmp"}));
}

// Records the text of a label each time it is painted.
struct PaintRecorder : QObject
{
    bool eventFilter(QObject *label, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted << static_cast<QLabel *>(label)->text();
        return false;
    }
    QStringList m_painted;
};

// What the user (or the file system) does, one step of a row.
enum class Do { Choose, OpenFolder, Remove, MakeFolder, Click };
struct Event { Do what; const char *name; };
Event Choose(const char *file) { return {Do::Choose, file}; }
Event Click(const char *button) { return {Do::Click, button}; }
Event Remove(const char *file) { return {Do::Remove, file}; }
Event MakeFolder(const char *folder) { return {Do::MakeFolder, folder}; }
Event OpenFolder(const char *folder) { return {Do::OpenFolder, folder}; }

struct Row
{
    const char *name;
    std::vector<Event> events;
    WindowState expected;
    const char *box = ""; // how the one box raised starts; "" for none
    friend void PrintTo(const Row &row, std::ostream *out) { *out << row.name; }
};

// A listing written is compared with the file of tests/data/ of its name, "-inverse" added for Inverse.
const QString Example = "<tmp>/lcd_example.txt";
const Row Rows[] = {
    {"Admit", {Choose("example.bmp")}, Admitted(Example)},
    {"AdmitUpperCaseName", {Choose("Upper.BMP")}, Admitted("<tmp>/lcd_Upper.txt")},
    {"ConvertNormal", {Choose("example.bmp"), Click("ConvertButton")}, Converted(Example)},
    {"ConvertInverse", {Choose("example.bmp"), Click("InverseOption"), Click("ConvertButton")}, Converted(Example, false)},
    {"BitOrderSample", {Choose("bit-order.bmp"), Click("ConvertButton")}, Converted("<tmp>/lcd_bit-order.txt", true, Black)},
    {"LogoSampleInverse", {Choose("dotpress-logo.bmp"), Click("InverseOption"), Click("ConvertButton")}, Converted("<tmp>/lcd_dotpress-logo.txt", false, Black)},
    {"AdmitAgainSelectsNormal", {Choose("example.bmp"), Click("InverseOption"), Click("ConvertButton"), Choose("example.bmp")}, Admitted(Example)},
    {"ListingBesideTheAdmittedBitmap", {Choose("example.bmp"), MakeFolder("other"), OpenFolder("other"), Click("ConvertButton")}, Converted(Example)},
    {"Reset", {Choose("example.bmp"), Click("ConvertButton"), Click("ResetButton")}, AfterReset},
    {"RefusedTopDown", {Choose("example.bmp"), Choose("topdown.bmp")}, AfterReset,
     "plain|Picture Size Error|Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap."},
    {"CutShort", {Choose("example.bmp"), Choose("cut.bmp")}, AfterReset, "warning|Dotpress-0.1|The bitmap cannot be shown.\n\n<tmp>/cut.bmp\n\nPicture data incomplete"},
    {"NotBM", {Choose("example.bmp"), Choose("magic.bmp")}, AfterReset, "warning|Dotpress-0.1|The bitmap cannot be shown.\n\n<tmp>/magic.bmp\n\nThe picture cannot be decoded"},
    {"Vanished", {Choose("example.bmp"), Remove("gone.bmp"), Choose("gone.bmp")}, AfterReset,
     "warning|Dotpress-0.1|The bitmap cannot be opened.\n\n<tmp>/gone.bmp\n\nNo such file"},
    {"ListingCannotBeWritten", {Choose("example.bmp"), Click("ConvertButton"), Remove("lcd_example.txt"), MakeFolder("lcd_example.txt"), Click("ConvertButton")},
     {true, false, true, true, Red, "64 x 240", "1 Bits  (2 Colors)", "Failed", "", "99", "F", Example},
     "warning|Dotpress-0.1|The listing cannot be written.\n\n<tmp>/lcd_example.txt\n\nIs a directory"},
};

class MainWindowEvents : public WindowTest, public ::testing::WithParamInterface<Row> {};

TEST_P(MainWindowEvents, LeaveTheWindowInItsStateWithItsBoxAndListing)
{
    for (const char *sample : {"bit-order.bmp", "dotpress-logo.bmp"})
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/" + sample, path(sample)));
    write("Upper.BMP", m_example);
    write("gone.bmp", m_example);
    write("cut.bmp", m_example.chopped(100));
    write("magic.bmp", "XM" + m_example.mid(2));
    write("topdown.bmp", m_example.left(22) + QByteArray::fromHex("c0ffffff") + m_example.mid(26)); // height -64
    openFolder();

    QStringList percentages;
    for (int percent = 0; percent <= 100; ++percent)
        percentages << QString::number(percent);
    PaintRecorder progress;
    control("ProgressPer")->installEventFilter(&progress);
    for (const auto &[what, name] : GetParam().events) {
        switch (what) {
        case Do::Choose: choose(name); break;
        case Do::OpenFolder: openFolder(name); break;
        case Do::Remove: ASSERT_TRUE(QFile::remove(path(name))); break;
        case Do::MakeFolder: ASSERT_TRUE(QDir(m_temp.path()).mkdir(name)); break;
        case Do::Click:
            progress.m_painted.clear();
            click(name);
            // A run holds the event loop: each step is painted there and then.
            EXPECT_TRUE(QLatin1String(name) != "ConvertButton" || progress.m_painted == percentages.mid(0, m_form.resultFlag() == "S" ? 101 : 100));
        }
    }
    const WindowState &expected = GetParam().expected;
    EXPECT_EQ(state(), expected);
    EXPECT_EQ(m_messages.m_boxes.size(), *GetParam().box ? 1 : 0);
    for (const QString &box : m_messages.m_boxes)
        EXPECT_TRUE(local(box).startsWith(GetParam().box)) << local(box).toStdString();
    if (expected.status == "Successed") {
        const QString data = DOTPRESS_TEST_DATA + expected.listing.mid(5).replace(".txt", expected.normal ? ".txt" : "-inverse.txt");
        EXPECT_EQ(ReadFileOrEmpty(QString(expected.listing).replace("<tmp>", m_temp.path())), ReadFileOrEmpty(data));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MainWindowEvents, ::testing::ValuesIn(Rows), [](const auto &info) { return std::string(info.param.name); });

} // namespace
