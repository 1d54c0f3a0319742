// Bad bitmaps chosen in File1 right after a good one: every file of the
// bmpsuite corpus and a set of broken 240 x 64 headers. Each ends as expected:
// converted to the right listing, refused with the size box, or reported in a
// box naming the file; the last two in the Reset state with nothing written.
// The good listing survives them all, and the window goes on converting.
#include "pipeline.h"
#include "windowtesting.h"

#include <limits>

namespace {

constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();

class WindowOverBadInput : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        WriteFileOrFail(path("good.bmp"), BandedBmp());
    }

    // Chooses base.bmp after the good bitmap, by double-click or Enter in turn.
    Ending chooseAfterGood(const QString &base)
    {
        SCOPED_TRACE(base.toStdString());
        const QStringList before = EntriesIn(path());
        choose("good.bmp", ++m_chosen % 2 == 0);
        EXPECT_EQ(state(), Admitted(listingFor("", "good")));
        choose(base + ".bmp", m_chosen % 2 == 1);
        const auto boxes = messages.take();
        EXPECT_LE(boxes.size(), 1u);
        if (boxes.empty()) {
            EXPECT_EQ(state(), Admitted(listingFor("", base)));
            click("ConvertButton");
            EXPECT_EQ(ReadFileOrEmpty(listingFor("", base)), BandedListing(Sense::Normal));
            EXPECT_TRUE(messages.boxes.empty());
            return QFile::remove(listingFor("", base)) ? Ending::Converted : Ending::Failed;
        }
        EXPECT_EQ(state(), AfterReset);
        EXPECT_EQ(EntriesIn(path()), before);
        if (boxes.front().kind == Messages::Kind::Plain) {
            EXPECT_EQ(boxes.front().title + boxes.front().text, "Picture Size Error" + QString(ExpectedRefusal));
            return Ending::Refused;
        }
        EXPECT_TRUE(boxes.front().text.contains(QDir::toNativeSeparators(path(base + ".bmp"))));
        return Ending::Failed;
    }

    void expectGoodListingSurvivedAndStillConverts()
    {
        EXPECT_EQ(ReadFileOrEmpty(listingFor("", "good")), BandedListing(Sense::Normal));
        choose("good.bmp");
        click("InverseOption");
        click("ConvertButton");
        EXPECT_EQ(ReadFileOrEmpty(listingFor("", "good")), BandedListing(Sense::Inverse));
        EXPECT_TRUE(form.isVisible());
    }

    QuietDecoderWarnings m_quiet;
    int m_chosen = 0;
};

TEST_F(WindowOverBadInput, EveryBmpsuiteFileIsRefusedOrFailsCleanly)
{
    QStringList bases;
    for (const std::string &relative : BmpsuiteFiles()) {
        // One folder for all: "g/pal1.bmp" is copied as g-pal1.bmp.
        bases << QString::fromStdString(relative).replace('/', '-').chopped(4);
        ASSERT_TRUE(QFile::copy(BmpsuitePath(relative), path(bases.back() + ".bmp")));
    }
    ASSERT_EQ(bases.size(), 60) << "the bmpsuite corpus is missing or incomplete";
    openFolder();
    choose("good.bmp");
    click("ConvertButton");
    for (const QString &base : bases)
        EXPECT_NE(chooseAfterGood(base), Ending::Converted) << base.toStdString();
    expectGoodListingSurvivedAndStillConverts();
}

TEST_F(WindowOverBadInput, BrokenHeadersEndAsExpected)
{
    // Around the banded picture: cuts, palettes that are not all there,
    // offsets that point anywhere and odd values of the header fields.
    const QByteArray good = BandedBmp();
    const std::int64_t size = good.size();
    std::vector<std::tuple<QString, QByteArray, Ending>> cases = {
        {"info108", BandedBmp(108), Ending::Converted},
        {"clrused3-palette3", BandedBmp(40, 3), Ending::Converted},
        {"palette-past-end", WithField(good, 14, 4, 40 + size), Ending::Failed},
    };
    auto fields = [&](const char *name, int offset, int width, std::vector<std::int64_t> values, Ending expected) {
        for (std::int64_t v : values)
            cases.emplace_back(QString("%1=%2").arg(name).arg(v), WithField(good, offset, width, v), expected);
    };
    fields("sizeimage", 34, 4, {0}, Ending::Converted);
    fields("bfsize", 2, 4, {0}, Ending::Converted);
    fields("clrused", 46, 4, {2}, Ending::Converted);
    fields("clrused", 46, 4, {1, 3, 256, Int32Max, -1}, Ending::Failed);
    fields("offbits", 10, 4, {0, 14, 54, 61, 63, size, Int32Max, -1, Int32Min}, Ending::Failed);
    fields("bisize", 14, 4, {0, 12, 39, 41, 64, Int32Max}, Ending::Failed);
    fields("planes", 26, 2, {0, 30000}, Ending::Failed);
    fields("compression", 30, 4, {1, 2, 3, 4, 5, 6}, Ending::Failed);
    fields("bftype", 0, 2, {0}, Ending::Failed);
    fields("bitcount", 28, 2, {0, 2, 4, 8, 16, 24, 32, 30000}, Ending::Refused);
    fields("width", 18, 4, {Int32Min, -240, Int32Max}, Ending::Refused);
    fields("height", 22, 4, {Int32Min, -64, Int32Max}, Ending::Refused);
    for (int cut : {0, 2, 14, 18, 29, 54, 58, 62, 92, int(size) - 30, int(size) - 1})
        cases.emplace_back(QString("cut-%1").arg(cut), good.left(cut), cut <= 18 ? Ending::Refused : Ending::Failed);

    for (const auto &[base, bytes, expected] : cases)
        WriteFileOrFail(path(base + ".bmp"), bytes);
    openFolder();
    choose("good.bmp");
    click("ConvertButton");
    for (const auto &[base, bytes, expected] : cases)
        EXPECT_EQ(chooseAfterGood(base), expected) << base.toStdString();
    expectGoodListingSurvivedAndStillConverts();
}

} // namespace
