#include "form2.h"

#include "bitmapheaders.h"
#include "bmpfixture.h"
#include "encoder.h"
#include "messages.h"
#include "picture.h"
#include "sharedstate.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Box
{
    Messages::Kind kind;
    QString title;
    QString text;
};

class FakeMessages : public Messages
{
public:
    void show(QWidget *, Kind kind, const QString &title, const QString &text) override
    {
        boxes.push_back({kind, title, text});
    }
    std::vector<Box> boxes;
};

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);

bool blank(const QImage &lcd)
{
    for (int y = 0; y < lcd.height(); ++y)
        for (int x = 0; x < lcd.width(); ++x)
            if (qAlpha(lcd.pixel(x, y)) != 0)
                return false;
    return true;
}

class PreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_state.headers.biWidth = LcdWidth;
        m_state.headers.biHeight = LcdHeight;
        m_state.headers.biBitCount = LcdBitCount;
        m_state.outputPath = m_dir.filePath(QStringLiteral("lcd_test.txt"));
    }

    void writeListing(const QByteArray &text) { WriteFileOrFail(m_state.outputPath, text); }

    // Converts a picture as the main window does, so that its listing is
    // the one the preview reads; the headers stay those of the picture.
    void convert(const BmpSpec &spec, Sense sense)
    {
        const QString bitmap = m_dir.filePath(QStringLiteral("test.bmp"));
        WriteFileOrFail(bitmap, MakeBmp(spec));
        PaletteColours palette{};
        ASSERT_TRUE(ReadBitmapHeaders(bitmap, m_state.headers, palette).ok);
        const LoadedPicture picture = LoadPicture(bitmap, m_state.headers);
        ASSERT_TRUE(picture.ok()) << qPrintable(picture.error);
        const ConversionResult result =
            ConvertPicture(ImagePixelSource(picture.image), m_state.headers,
                           *SetScanBounds(m_state.headers), palette, sense, m_state.outputPath);
        ASSERT_TRUE(result.ok()) << qPrintable(result.error);
    }

    void pressShow() { m_form.findChild<QPushButton *>(QStringLiteral("ShowButton"))->click(); }

    // The colour of each of the 240 x 64 dots and the one past them on each row.
    static void expectDots(const QImage &lcd, const std::function<QRgb(int, int)> &colour)
    {
        for (int y = 0; y < LcdHeight; ++y)
            for (int x = 0; x < LcdWidth; ++x)
                ASSERT_EQ(lcd.pixel(x, y), colour(x, y)) << "dot " << x << ", " << y;
        EXPECT_EQ(qAlpha(lcd.pixel(LcdWidth, 0)), 0);
        EXPECT_EQ(qAlpha(lcd.pixel(0, LcdHeight)), 0);
    }

    QTemporaryDir m_dir;
    SharedState m_state;
    FakeMessages m_messages;
    Form2 m_form{m_state, m_messages};
};

} // namespace

TEST_F(PreviewTest, EveryDotIsThePixelOfTheConvertedPicture)
{
    const std::function<int(int, int)> pictures[] = {
        [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y ? 0 : 1; },
        [](int x, int y) { return (x / 8 + y) % 2; },
        [](int x, int) { return x % 8 == 0 ? 0 : 1; },
        [](int x, int y) { return int(((x * 2654435761u) ^ (y * 40503u)) >> 7) & 1; },
    };
    m_form.show();
    for (const auto &index : pictures) {
        for (const Sense sense : {Sense::Normal, Sense::Inverse}) {
            BmpSpec spec;
            spec.palette0 = 0x102030; // neither black nor green: the dots come from the bits
            spec.palette1 = 0xF0E0D0;
            spec.index = index;
            convert(spec, sense);
            pressShow();
            const int onIndex = sense == Sense::Normal ? 0 : 1;
            expectDots(m_form.lcdImage(),
                       [&](int x, int y) { return index(x, y) == onIndex ? Black : Green; });
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(PreviewTest, ShowRedrawsFromDiskAndEachOpeningStartsBlank)
{
    writeListing(QByteArray(RepeatedLine("FFH") + "\r\n").repeated(240));
    m_form.show();
    EXPECT_TRUE(blank(m_form.lcdImage()));
    pressShow();
    pressShow();
    expectDots(m_form.lcdImage(), [](int, int) { return Black; });

    // The box shows the dots themselves, inside its border.
    auto *lcdPic = m_form.findChild<QLabel *>(QStringLiteral("LcdPic"));
    const QImage shown = lcdPic->grab().toImage();
    const QPoint inner = lcdPic->contentsRect().topLeft();
    EXPECT_EQ(shown.pixel(inner + QPoint(0, 0)), Black);
    EXPECT_EQ(shown.pixel(inner + QPoint(239, 63)), Black);
    EXPECT_NE(shown.pixel(inner + QPoint(240, 63)), Black);

    m_form.close();
    m_form.show();
    EXPECT_TRUE(blank(m_form.lcdImage()));
    EXPECT_TRUE(lcdPic->pixmap().isNull());

    // Changed on disk since: shown as it now is, a half listing half drawn.
    writeListing(QByteArray(RepeatedLine("00H") + "\r\n").repeated(120));
    pressShow();
    expectDots(m_form.lcdImage(), [](int, int y) { return y < 32 ? Green : qRgba(0, 0, 0, 0); });
    EXPECT_TRUE(m_messages.boxes.empty());
}

TEST_F(PreviewTest, FaultsAreReportedAndTheDotsDrawnStay)
{
    QByteArray listing = QByteArray(RepeatedLine("FFH") + "\r\n").repeated(16);
    listing += "        DB FFH,GGH,00H,00H,00H,00H,00H,00H;\r\n" + listing;
    writeListing(listing);
    m_form.show();
    pressShow();
    ASSERT_EQ(m_messages.boxes.size(), 1u);
    const Box &box = m_messages.boxes.front();
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
    pressShow();
    ASSERT_EQ(m_messages.boxes.size(), 2u);
    EXPECT_TRUE(m_messages.boxes.back().text.contains(QStringLiteral("cannot be opened")));
    EXPECT_TRUE(blank(m_form.lcdImage()));
    EXPECT_TRUE(m_form.isVisible());
}
