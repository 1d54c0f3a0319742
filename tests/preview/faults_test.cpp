// The preview over listings that are not what Convert wrote: each is drawn
// as far as it goes or reported with its line, in bounded memory, Show
// writes nothing, and both windows carry on.
#include "windowtesting.h"

#include <limits>
#include <numeric>

#include <sys/resource.h>

namespace {

// The high-water mark of resident memory, in KiB. The sanitizers keep freed
// blocks in quarantine: there it says nothing about the reader.
long PeakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
// How many pixels of the image are of colour.
int Count(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}
#if defined(__SANITIZE_ADDRESS__)
constexpr long MemoryAllowanceKiB = std::numeric_limits<long>::max();
#else
constexpr long MemoryAllowanceKiB = 16 * 1024; // far less than the listings
#endif

// A listing written as head, repeat times chunk, tail: never held whole.
struct Fault
{
    const char *name;
    QByteArray head, chunk;
    int repeat;
    QByteArray tail;
    const char *box; // in the box raised, or "" for none
    int blackDots;   // drawn, and nothing else
};

const QByteArray FullLine = RepeatedLine("FFH") + "\r\n";
const QByteArray EveryByte = [] {
    QByteArray bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}();

const Fault Faults[] = {
    {"RemovedAfterConvert", {}, {}, -1, {}, "cannot be opened", 0},
    // Line 1 is 0x00 to 0x09, cut off by the 0x0A.
    {"AMegabyteOfEveryByteValue", {}, EveryByte, 4096, {}, "line 1: only 10 characters", 0},
    {"BinaryAfterAGoodStart", FullLine.repeated(4) + "        DB FFH," + QByteArray(40, '\x01'), {}, 0, "\xff\xfeH;\r\n",
     "line 5: unexpected character 0x01", 4 * 64 + 8},
    // 32 MiB on one line: refused, not held.
    {"ALineOf32MiBOfFields", "        DB ", QByteArray("FFH,").repeated(64 * 1024), 128, "FFH;\r\n", "line 1: longer than 65536 characters", 0},
    {"ALineOf32MiBOfLetters", "        DB ", QByteArray(1024 * 1024, 'Z'), 32, "H;\r\n", "line 1: longer than 65536 characters", 0},
    // The lines after the 240th draw nothing but are read: the short last one is found.
    {"AHundredThousandLines", {}, FullLine.repeated(1000), 99, FullLine.repeated(999) + "        DB\r\n",
     "line 100000: only 10 characters", LcdWidth * LcdHeight},
};

class PreviewFaults : public WindowTest, public ::testing::WithParamInterface<Fault>
{
};

TEST_P(PreviewFaults, DrawnAsFarAsItGoesOrReported)
{
    WriteFileOrFail(path("logo.bmp"), MakeBmp({}));
    openFolder();
    choose("logo.bmp");
    click("ConvertButton");
    const QString listing = shared.outputPath;
    ASSERT_TRUE(QFile::remove(listing));
    if (GetParam().repeat >= 0) {
        QFile file(listing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam().head);
        for (int i = 0; i < GetParam().repeat; ++i)
            file.write(GetParam().chunk);
        file.write(GetParam().tail);
    }

    QImage shown;
    const long before = PeakResidentKiB();
    preview([&](Form2 &form2) { shown = Show(form2); });
    EXPECT_LT(PeakResidentKiB() - before, MemoryAllowanceKiB);
    EXPECT_EQ(Count(shown, qRgb(0, 0, 0)), GetParam().blackDots);
    EXPECT_EQ(Count(shown, qRgba(0, 0, 0, 0)), shown.width() * shown.height() - GetParam().blackDots);
    const auto boxes = messages.take();
    ASSERT_EQ(boxes.size(), *GetParam().box ? 1u : 0u);
    if (!boxes.empty()) {
        EXPECT_EQ(boxes[0].title, "LCD Preview");
        EXPECT_TRUE(boxes[0].text.contains(GetParam().box)) << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(listing)));
    }
    EXPECT_EQ(QFile::exists(listing), GetParam().repeat >= 0) << "Show wrote a listing";

    // Every pixel is palette entry 1: Inverse lights them all.
    click("InverseOption");
    click("ConvertButton");
    preview([&](Form2 &form2) { shown = Show(form2); });
    EXPECT_EQ(Count(shown, qRgb(0, 0, 0)), LcdWidth * LcdHeight);
    EXPECT_TRUE(messages.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Listings, PreviewFaults, ::testing::ValuesIn(Faults),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
