// The main window: start-up, then a table of events with the state each run
// leaves, the box it raised and the listing it wrote, against fixed bytes.
#include "windowtesting.h"

namespace {

const WindowState StartUp{false, false, false, true, 0, "", "", "", "", "0", "", ""};
const WindowState AfterReset{false, false, false, true, 0, "", "", "", "", "0", "F", ""};
WindowState Admitted(const QString &listing)
{
    return {true, false, true, true, Red, "64 x 240", "1 Bits  (2 Colors)", "", "", "0", "F", listing};
}
WindowState Converted(const QString &listing, bool normal = true, QRgb picture = Red)
{
    return {true, true, true, normal, picture, "64 x 240", "1 Bits  (2 Colors)", "Successed", listing, "100", "S", listing};
}

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

struct Row
{
    const char *name;
    std::vector<const char *> events; // "choose NAME" in File1, "open FOLDER" in Dir1, "rm FILE", "mkdir FOLDER", or a control to click
    WindowState expected;
    const char *box = ""; // how the one box raised starts; "" for none
    friend void PrintTo(const Row &row, std::ostream *out) { *out << row.name; }
};

// A listing written is compared with the file of tests/data/window/ of its name, "-inverse" added for Inverse.
const QString Example = "<tmp>/lcd_example.txt";
const Row Rows[] = {
    {"Admit", {"choose example.bmp"}, Admitted(Example)},
    {"AdmitUpperCaseName", {"choose Upper.BMP"}, Admitted("<tmp>/lcd_Upper.txt")},
    {"ConvertNormal", {"choose example.bmp", "ConvertButton"}, Converted(Example)},
    {"ConvertInverse", {"choose example.bmp", "InverseOption", "ConvertButton"}, Converted(Example, false)},
    {"BitOrderSample", {"choose bit-order.bmp", "ConvertButton"}, Converted("<tmp>/lcd_bit-order.txt", true, Black)},
    {"LogoSampleInverse", {"choose dotpress-logo.bmp", "InverseOption", "ConvertButton"}, Converted("<tmp>/lcd_dotpress-logo.txt", false, Black)},
    {"AdmitAgainSelectsNormal", {"choose example.bmp", "InverseOption", "ConvertButton", "choose example.bmp"}, Admitted(Example)},
    {"ListingBesideTheAdmittedBitmap", {"choose example.bmp", "mkdir other", "open other", "ConvertButton"}, Converted(Example)},
    {"Reset", {"choose example.bmp", "ConvertButton", "ResetButton"}, AfterReset},
    {"RefusedTopDown", {"choose example.bmp", "choose topdown.bmp"}, AfterReset,
     "plain|Picture Size Error|Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap."},
    {"CutShort", {"choose example.bmp", "choose cut.bmp"}, AfterReset, "warning|Dotpress-0.1|The bitmap cannot be shown.\n\n<tmp>/cut.bmp\n\n"},
    {"NotBM", {"choose example.bmp", "choose magic.bmp"}, AfterReset, "warning|Dotpress-0.1|The bitmap cannot be shown.\n\n<tmp>/magic.bmp\n\n"},
    {"Vanished", {"choose example.bmp", "rm gone.bmp", "choose gone.bmp"}, AfterReset,
     "warning|Dotpress-0.1|The bitmap cannot be opened.\n\n<tmp>/gone.bmp\n\n"},
    {"ListingCannotBeWritten", {"choose example.bmp", "ConvertButton", "rm lcd_example.txt", "mkdir lcd_example.txt", "ConvertButton"},
     {true, false, true, true, Red, "64 x 240", "1 Bits  (2 Colors)", "Failed", "", "99", "F", Example},
     "warning|Dotpress-0.1|The listing cannot be written.\n\n<tmp>/lcd_example.txt\n\n"},
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
    for (const QString event : GetParam().events) {
        const QString name = event.section(' ', 1);
        if (event.startsWith("choose "))
            choose(name);
        else if (event.startsWith("open "))
            openFolder(name);
        else if (event.startsWith("rm ") || event.startsWith("mkdir "))
            ASSERT_TRUE(event.startsWith("rm ") ? QFile::remove(path(name)) : QDir(m_temp.path()).mkdir(name));
        else {
            progress.m_painted.clear();
            click(event);
            // A run holds the event loop: each step is painted there and then.
            EXPECT_TRUE(event != "ConvertButton" || progress.m_painted == percentages.mid(0, m_form.resultFlag() == "S" ? 101 : 100));
        }
    }
    EXPECT_EQ(state(), GetParam().expected);
    EXPECT_EQ(m_messages.m_boxes.size(), *GetParam().box ? 1 : 0);
    for (const QString &box : m_messages.m_boxes)
        EXPECT_TRUE(local(box).startsWith(GetParam().box)) << local(box).toStdString();
    if (QString listing = std::get<11>(GetParam().expected); std::get<7>(GetParam().expected) == "Successed") {
        QFile written(QString(listing).replace("<tmp>", m_temp.path()));
        QFile expected(DOTPRESS_TEST_DATA + listing.mid(5).replace(".txt", std::get<3>(GetParam().expected) ? ".txt" : "-inverse.txt"));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll().toStdString(), expected.readAll().toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MainWindowEvents, ::testing::ValuesIn(Rows), [](const auto &info) { return std::string(info.param.name); });

} // namespace
