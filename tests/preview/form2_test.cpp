// The whole road through both windows: admit, Convert in each sense, Preview,
// Show, and every dot against the bitmap's pixel. Listings changed on disk
// since Convert are in faults_test.cpp.
#include "windowtesting.h"

namespace {

constexpr QRgb Black = qRgb(0, 0, 0), Green = qRgb(0, 128, 0), Nothing = qRgba(0, 0, 0, 0);

// The colour of each of the 240 x 64 dots, and nothing drawn past them.
void ExpectDots(const QImage &lcd, const std::function<QRgb(int, int)> &colour)
{
    for (int y = 0; y < LcdHeight; ++y)
        for (int x = 0; x < LcdWidth; ++x)
            ASSERT_EQ(lcd.pixel(x, y), colour(x, y)) << "dot " << x << ", " << y;
    EXPECT_EQ(lcd.pixel(LcdWidth, 0), Nothing);
    EXPECT_EQ(lcd.pixel(0, LcdHeight), Nothing);
}

using Preview = WindowTest;

TEST_F(Preview, ShowsEveryPixelInEachSense)
{
    const std::function<int(int, int)> pictures[] = {
        [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 || x == y ? 0 : 1; },
        [](int x, int y) { return (x / 8 + y) % 2; },
        [](int x, int y) { return int(((x * 2654435761u) ^ (y * 40503u)) >> 7) & 1; },
    };
    for (int n = 0; n < 3; ++n) {
        // Palette colours neither black nor green: the dots come from the bits.
        const QString name = QString("picture%1.bmp").arg(n);
        WriteFileOrFail(path(name), MakeBmp({.palette0 = 0x102030, .palette1 = 0xF0E0D0, .index = pictures[n]}));
        openFolder();
        choose(name);
        for (const char *option : {"NormalOption", "InverseOption"}) {
            SCOPED_TRACE(name.toStdString() + " " + option);
            click(option);
            click("ConvertButton");
            QImage opened, first, second, boxShows;
            preview([&](Form2 &form2) {
                opened = form2.lcdImage();
                first = Show(form2);
                second = Show(form2);
                auto *lcdPic = form2.findChild<QLabel *>("LcdPic");
                boxShows = lcdPic->grab(QRect(lcdPic->contentsRect().topLeft(), QSize(240, 64))).toImage();
            });
            ExpectDots(opened, [](int, int) { return Nothing; }); // each opening starts blank
            EXPECT_EQ(first, second);
            ExpectDots(first, [&](int x, int y) { return pictures[n](x, y) == (option[0] == 'N' ? 0 : 1) ? Black : Green; });
            EXPECT_EQ(boxShows.convertToFormat(QImage::Format_RGB32), first.copy(0, 0, 240, 64).convertToFormat(QImage::Format_RGB32));
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_TRUE(messages.boxes.empty());
}

} // namespace
