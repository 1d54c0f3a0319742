// Bad bitmaps chosen in File1 right after a good one: every bmpsuite file and
// a few broken 240 x 64 headers, one for each way out of the selection (the
// bulk runs in GeneratedHeaders). Each is converted to the right listing,
// refused with the size box, or reported in a box naming the file; the last
// two in the Reset state with nothing written. The good listing survives them
// all, and the window goes on converting.
#include "pipeline.h"
#include "windowtesting.h"

#include <optional>

namespace {

class WindowOverBadInput : public WindowTest
{
protected:
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

    QuietDecoderWarnings m_quiet;
    int m_chosen = 0;
};

TEST_F(WindowOverBadInput, BadBitmapsEndAsExpectedAndTheWindowGoesOn)
{
    std::vector<std::pair<QString, std::optional<Ending>>> chosen; // none: refused or failed
    for (const std::string &relative : BmpsuiteFiles()) {
        // One folder for all: "g/pal1.bmp" is copied as g-pal1.bmp.
        chosen.emplace_back(QString::fromStdString(relative).replace('/', '-').chopped(4), std::nullopt);
        ASSERT_TRUE(QFile::copy(BmpsuitePath(relative), path(chosen.back().first + ".bmp")));
    }
    ASSERT_EQ(chosen.size(), 60u) << "the bmpsuite corpus is missing or incomplete";
    const QByteArray good = BandedBmp();
    const std::tuple<QString, QByteArray, Ending> broken[] = {
        {"info108", BandedBmp(108), Ending::Converted},
        {"cut-14", good.left(14), Ending::Refused},          // headers cut short
        {"bitcount=8", WithField(good, 28, 2, 8), Ending::Refused},
        {"compression=1", WithField(good, 30, 4, 1), Ending::Failed},
        {"clrused=1", WithField(good, 46, 4, 1), Ending::Failed}, // palette not all there
        {"offbits=-1", WithField(good, 10, 4, -1), Ending::Failed},
        {"cut-data", good.chopped(1), Ending::Failed},        // pixel data cut short
    };
    for (const auto &[base, bytes, expected] : broken) {
        WriteFileOrFail(path(base + ".bmp"), bytes);
        chosen.emplace_back(base, expected);
    }
    WriteFileOrFail(path("good.bmp"), good);
    openFolder();
    choose("good.bmp");
    click("ConvertButton");
    for (const auto &[base, expected] : chosen) {
        const Ending ending = chooseAfterGood(base);
        EXPECT_TRUE(expected ? ending == *expected : ending != Ending::Converted) << base.toStdString();
    }
    EXPECT_EQ(ReadFileOrEmpty(listingFor("", "good")), BandedListing(Sense::Normal));
    choose("good.bmp");
    click("InverseOption");
    click("ConvertButton");
    EXPECT_EQ(ReadFileOrEmpty(listingFor("", "good")), BandedListing(Sense::Inverse));
    EXPECT_TRUE(form.isVisible());
}

} // namespace
