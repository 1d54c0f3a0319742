// The preview on its own over listings written here, and the whole road
// through the main window: admit, Convert, Preview, Show.
#include "form2.h"

#include "bmpfixture.h"
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "messages.h"
#include "sharedstate.h"
#include "windowtesting.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);

// The colour of each of the 240 x 64 dots, and nothing drawn past them.
void ExpectDots(const QImage &lcd, const std::function<QRgb(int, int)> &colour)
{
    for (int y = 0; y < LcdHeight; ++y)
        for (int x = 0; x < LcdWidth; ++x)
            ASSERT_EQ(lcd.pixel(x, y), colour(x, y)) << "dot " << x << ", " << y;
    EXPECT_EQ(qAlpha(lcd.pixel(LcdWidth, 0)), 0);
    EXPECT_EQ(qAlpha(lcd.pixel(0, LcdHeight)), 0);
}

void PressShow(Form2 &form) { form.findChild<QPushButton *>(QStringLiteral("ShowButton"))->click(); }

class PreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetConverted(m_state, m_dir.filePath(QStringLiteral("lcd_test.txt")));
    }

    void writeListing(const QByteArray &text) { WriteFileOrFail(m_state.outputPath, text); }

    QTemporaryDir m_dir;
    SharedState m_state;
    RecordingMessages m_messages;
    Form2 m_form{m_state, m_messages};
};

// The main window with its lists on a folder of bitmaps written here.
class FullCycle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_form.Init_Form();
        m_form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_form));
    }

    template <typename Widget = QPushButton>
    Widget *control(const char *name) { return m_form.findChild<Widget *>(QLatin1String(name)); }
    void click(const char *name) { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }

    // Writes the bitmap, opens its folder and chooses it in File1 with Enter.
    void admit(const QString &name, const BmpLayout &spec)
    {
        WriteFileOrFail(m_dir.filePath(name), MakeBmp(spec));
        QString reason;
        ASSERT_TRUE(control<DirList>("Dir1")->setPath(m_dir.path(), reason));
        auto *file1 = control<FileList>("File1");
        const QList<QListWidgetItem *> items = file1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        file1->setCurrentItem(items.first());
        QTest::keyClick(file1, Qt::Key_Return);
    }

    // Presses Preview; while the modal window is open, runs the actions on
    // it, then closes it.
    void preview(const std::vector<std::function<void(Form2 &)>> &actions)
    {
        EXPECT_TRUE(WhileModal<Form2>([this] { click("PreviewButton"); }, [&](Form2 &form2) {
            for (const auto &action : actions)
                action(form2);
        }));
    }

    QTemporaryDir m_dir;
    SharedState m_state;
    RecordingMessages m_messages;
    Form1 m_form{m_state, m_messages};
};

} // namespace

TEST_F(PreviewTest, ShowRedrawsFromDiskAndEachOpeningStartsBlank)
{
    writeListing(QByteArray(RepeatedLine("FFH") + "\r\n").repeated(240));
    m_form.show();
    EXPECT_TRUE(LcdBlank(m_form.lcdImage()));
    PressShow(m_form);
    PressShow(m_form);
    ExpectDots(m_form.lcdImage(), [](int, int) { return Black; });

    // The box shows the dots themselves, inside its border.
    auto *lcdPic = m_form.findChild<QLabel *>(QStringLiteral("LcdPic"));
    const QImage shown = lcdPic->grab().toImage();
    const QPoint inner = lcdPic->contentsRect().topLeft();
    EXPECT_EQ(shown.pixel(inner + QPoint(0, 0)), Black);
    EXPECT_EQ(shown.pixel(inner + QPoint(239, 63)), Black);
    EXPECT_NE(shown.pixel(inner + QPoint(240, 63)), Black);

    m_form.close();
    m_form.show();
    EXPECT_TRUE(LcdBlank(m_form.lcdImage()));
    EXPECT_TRUE(lcdPic->pixmap().isNull());

    // Changed on disk since: shown as it now is, a half listing half drawn.
    writeListing(QByteArray(RepeatedLine("00H") + "\r\n").repeated(120));
    PressShow(m_form);
    ExpectDots(m_form.lcdImage(), [](int, int y) { return y < 32 ? Green : qRgba(0, 0, 0, 0); });
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(PreviewTest, FaultsAreReportedAndTheDotsDrawnStay)
{
    QByteArray listing = QByteArray(RepeatedLine("FFH") + "\r\n").repeated(16);
    listing += "        DB FFH,GGH,00H,00H,00H,00H,00H,00H;\r\n" + listing;
    writeListing(listing);
    m_form.show();
    PressShow(m_form);
    ASSERT_EQ(m_messages.boxes.size(), 1u);
    const RecordingMessages::Box &box = m_messages.boxes.front();
    EXPECT_EQ(box.kind, Messages::Kind::Warning);
    EXPECT_EQ(box.title, QStringLiteral("LCD Preview"));
    EXPECT_TRUE(box.text.contains(QDir::toNativeSeparators(m_state.outputPath)));
    EXPECT_TRUE(box.text.contains(QStringLiteral("line 17: unexpected character 'G'"))) << qPrintable(box.text);
    // 16 lines, the first field, and of "GG000000" the six dots drawn before
    // the walk reaches a G: 1038 dots, row 4 up to column 77.
    const QImage lcd = m_form.lcdImage();
    EXPECT_EQ(lcd.pixel(239, 3), Black);
    EXPECT_EQ(lcd.pixel(71, 4), Black);
    EXPECT_EQ(lcd.pixel(72, 4), Green);
    EXPECT_EQ(lcd.pixel(77, 4), Green);
    EXPECT_EQ(qAlpha(lcd.pixel(78, 4)), 0);

    // A listing that has gone leaves the box blank, and the window goes on.
    QFile::remove(m_state.outputPath);
    PressShow(m_form);
    ASSERT_EQ(m_messages.boxes.size(), 2u);
    EXPECT_TRUE(m_messages.boxes.back().text.contains(QStringLiteral("cannot be opened")));
    EXPECT_TRUE(LcdBlank(m_form.lcdImage()));
    EXPECT_TRUE(m_form.isVisible());
}

TEST_F(FullCycle, PreviewShowsEveryPixelInEachSenseAndABadListingIsReported)
{
    const std::function<int(int, int)> pictures[] = {
        [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y ? 0 : 1; },
        [](int x, int y) { return (x / 8 + y) % 2; },
        [](int x, int y) { return int(((x * 2654435761u) ^ (y * 40503u)) >> 7) & 1; },
    };
    int n = 0;
    for (const auto &index : pictures) {
        BmpLayout spec;
        spec.palette0 = 0x102030; // neither black nor green: the dots come from the bits
        spec.palette1 = 0xF0E0D0;
        spec.index = index;
        admit(QStringLiteral("picture%1.bmp").arg(++n), spec);
        for (const char *option : {"NormalOption", "InverseOption"}) {
            click(option);
            click("ConvertButton");
            const int onIndex = option[0] == 'N' ? 0 : 1;
            QImage opened, first, second;
            preview({[&](Form2 &f) { opened = f.lcdImage(); },
                     [&](Form2 &f) { PressShow(f); first = f.lcdImage(); },
                     [&](Form2 &f) { PressShow(f); second = f.lcdImage(); }});
            EXPECT_TRUE(LcdBlank(opened));
            EXPECT_EQ(first, second);
            ExpectDots(first, [&](int x, int y) { return index(x, y) == onIndex ? Black : Green; });
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_TRUE(m_messages.boxes.empty());

    WriteFileOrFail(m_state.outputPath, QByteArray(RepeatedLine("0FH") + "\r\n").repeated(240) + "        DB\r\n");
    QImage shown;
    preview({[&](Form2 &f) { PressShow(f); shown = f.lcdImage(); }});
    ExpectDots(shown, [](int x, int) { return x % 8 < 4 ? Black : Green; });
    ASSERT_EQ(m_messages.boxes.size(), 1u);
    EXPECT_TRUE(m_messages.boxes.front().text.contains(QStringLiteral("line 241: only 10 characters")));
    EXPECT_TRUE(m_form.isVisible());
}
