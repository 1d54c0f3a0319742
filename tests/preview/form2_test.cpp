// The LCD preview on its own, over the example's listing: it opens blank,
// Show draws every dot, and Show again draws the listing as it now is or
// names the line it cannot take apart.
#include "bmpfixture.h"
#include "form2.h"
#include "sharedstate.h"
#include "windowtesting.h"

#include <algorithm>

namespace {

constexpr QRgb Nothing = qRgba(0, 0, 0, 0);

struct Changed
{
    const char *name;
    QByteArray listing; // what the listing becomes before Show again: empty, as it is; null, removed
    const char *box;    // in the box raised; "" for none
    int black, green;   // the dots drawn then
    friend void PrintTo(const Changed &row, std::ostream *out) { *out << row.name; }
};

const QByteArray Ones = "        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n";
const Changed ChangedListings[] = {
    {"Unchanged", "", "", int(WorkedExampleColumns.size()), 240 * 64 - int(WorkedExampleColumns.size())},
    {"Removed", {}, "The listing cannot be opened.", 0, 0},
    {"CharacterNotHex", Ones + "        DB GGH,GGH,GGH,GGH,GGH,GGH,GGH,GGH;\r\n", "line 2: unexpected character 'G'", 64, 0},
    {"LineCutShort", Ones + Ones + "        DB\r\n", "line 3: only 10 characters", 128, 0},
    {"LineAtTheLimit", "        DB " + QByteArray(65523, '0') + "H;\r\n", "", 0, 240 * 64},
    {"LineOverTheLimit", "        DB " + QByteArray(65524, '0') + "H;\r\n", "line 1: longer than 65536 characters", 0, 0},
};

class Preview : public ::testing::TestWithParam<Changed> {};

TEST_P(Preview, OpensBlankShowsEveryDotThenTheListingAsItNowIsOrWhichLineFails)
{
    QTemporaryDir temp;
    SharedState state{.headers = {.biWidth = 240, .biHeight = 64, .biBitCount = 1}, .outputPath = temp.filePath("lcd_example.txt")};
    WriteFileOrFail(state.outputPath, ReadFileOrEmpty(DOTPRESS_TEST_DATA "/lcd_example.txt"));
    RecordingMessages messages;
    Form2 form2(state, messages);
    const auto show = [&] { form2.findChild<QPushButton *>("ShowButton")->click(); return form2.lcdImage(); };
    form2.show();
    const QImage opened = form2.lcdImage(), first = show();
    if (GetParam().listing.isNull())
        EXPECT_TRUE(QFile::remove(state.outputPath));
    else if (!GetParam().listing.isEmpty())
        WriteFileOrFail(state.outputPath, GetParam().listing);
    const QImage second = show();
    form2.close();
    form2.show();
    const QImage reopened = form2.lcdImage();

    QImage expected(first.size(), QImage::Format_ARGB32), blank = expected;
    blank.fill(Nothing);
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            expected.setPixel(x, y, x >= 240 || y >= 64 ? Nothing : y == 0 && WorkedExampleColumns.count(x) ? Black : Green);
    EXPECT_TRUE(first == expected && opened == blank && reopened == blank);
    const QRgb *dots = reinterpret_cast<const QRgb *>(second.constBits()), *end = dots + second.width() * second.height();
    EXPECT_EQ(std::count(dots, end, Black), GetParam().black);
    EXPECT_EQ(std::count(dots, end, Green), GetParam().green);
    EXPECT_EQ(messages.m_boxes.size(), *GetParam().box ? 1 : 0);
    for (const QString &box : messages.m_boxes)
        EXPECT_TRUE(box.startsWith("warning|LCD Preview|") && box.contains("\n\n" + QDir::toNativeSeparators(state.outputPath) + "\n\n")
                    && box.contains(GetParam().box)) << box.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Listings, Preview, ::testing::ValuesIn(ChangedListings), [](const auto &info) { return std::string(info.param.name); });

} // namespace
