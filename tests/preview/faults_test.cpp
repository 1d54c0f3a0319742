// The preview over listings that are not what the conversion wrote: gone
// since, overwritten with binary data, one line of many megabytes, a hundred
// thousand lines. Each is drawn as far as it goes or reported with its line,
// in bounded memory, and the preview and the main window carry on.

#include "form2.h"

#include "bmpfixture.h"
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "sharedstate.h"
#include "windowtesting.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/resource.h>

namespace {

constexpr QRgb Black = qRgb(0, 0, 0);

// Whether every one of the 240 x 64 dots is drawn, and in colour.
bool AllDots(const QImage &lcd, QRgb colour)
{
    for (int y = 0; y < LcdHeight; ++y)
        for (int x = 0; x < LcdWidth; ++x)
            if (lcd.pixel(x, y) != colour)
                return false;
    return true;
}

// The high-water mark of this process's resident memory, in KiB.
long PeakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The sanitizers keep freed blocks in quarantine, so resident memory says
// nothing about the reader there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryIsMeasurable = false;
#else
constexpr bool MemoryIsMeasurable = true;
#endif

// How much more the process may hold at its peak while reading a listing of
// tens of megabytes: far less than the listing itself.
constexpr long MemoryAllowanceKiB = 16 * 1024;

void PressShow(Form2 &form) { form.findChild<QPushButton *>(QStringLiteral("ShowButton"))->click(); }

class PreviewFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetConverted(m_state, m_dir.filePath(QStringLiteral("lcd_fault.txt")));
        m_form.show();
    }

    // Writes the listing piece by piece, so that the test itself never holds it.
    void writeListing(const std::function<void(QFile &)> &write)
    {
        QFile file(m_state.outputPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        write(file);
    }

    // Presses Show and gives the one box it raised, or an empty text.
    QString showAndTakeBox()
    {
        PressShow(m_form);
        const std::vector<RecordingMessages::Box> boxes = m_messages.take();
        EXPECT_LE(boxes.size(), 1u);
        if (boxes.empty())
            return {};
        EXPECT_EQ(boxes.front().kind, Messages::Kind::Warning);
        EXPECT_TRUE(boxes.front().text.contains(QDir::toNativeSeparators(m_state.outputPath)));
        return boxes.front().text;
    }

    // After a fault, a good listing is drawn in full and without a box.
    void expectCarriesOn()
    {
        WriteFileOrFail(m_state.outputPath, QByteArray(RepeatedLine("FFH") + "\r\n").repeated(240));
        EXPECT_EQ(showAndTakeBox(), QString());
        EXPECT_TRUE(AllDots(m_form.lcdImage(), Black));
        EXPECT_TRUE(m_form.isVisible());
    }

    QTemporaryDir m_dir;
    SharedState m_state;
    RecordingMessages m_messages;
    Form2 m_form{m_state, m_messages};
};

TEST_F(PreviewFaults, BinaryDataIsReportedAtItsFirstLine)
{
    // Every byte value, a megabyte of them: the first line is 0x00 to 0x09,
    // cut off by the 0x0A.
    writeListing([](QFile &file) {
        QByteArray bytes(256, '\0');
        for (int i = 0; i < 256; ++i)
            bytes[i] = char(i);
        for (int i = 0; i < 4096; ++i)
            file.write(bytes);
    });
    const QString box = showAndTakeBox();
    EXPECT_TRUE(box.contains(QStringLiteral("line 1: only 10 characters"))) << box.toStdString();
    EXPECT_TRUE(LcdBlank(m_form.lcdImage()));

    // Binary data after a good start: drawn up to the dot that is no bit.
    writeListing([](QFile &file) {
        file.write(QByteArray(RepeatedLine("FFH") + "\r\n").repeated(4));
        file.write(QByteArray("        DB FFH,") + QByteArray(40, '\x01') + "\xff\xfeH;\r\n");
    });
    const QString late = showAndTakeBox();
    EXPECT_TRUE(late.contains(QStringLiteral("line 5: unexpected character 0x01"))) << late.toStdString();
    // Four lines and one field: 264 dots, to column 23 of row 1.
    EXPECT_EQ(m_form.lcdImage().pixel(23, 1), Black);
    EXPECT_EQ(qAlpha(m_form.lcdImage().pixel(24, 1)), 0);
    expectCarriesOn();
}

TEST_F(PreviewFaults, OneLineOfManyMegabytesIsReadInBoundedMemory)
{
    // 32 MiB of fields on one line: the first 1920 fill the picture, the
    // rest are only read.
    constexpr int Fields = 8 * 1024 * 1024;
    writeListing([](QFile &file) {
        file.write("        DB ");
        const QByteArray chunk = QByteArray("FFH,").repeated(64 * 1024);
        for (int i = 0; i < Fields / (64 * 1024); ++i)
            file.write(chunk);
        file.write("FFH;\r\n");
    });
    long before = PeakResidentKiB();
    EXPECT_EQ(showAndTakeBox(), QString());
    EXPECT_TRUE(AllDots(m_form.lcdImage(), Black));
    if (MemoryIsMeasurable)
        EXPECT_LT(PeakResidentKiB() - before, MemoryAllowanceKiB);

    // The same length of letters that are no digits: reported at once.
    writeListing([](QFile &file) {
        file.write("        DB ");
        const QByteArray chunk(1024 * 1024, 'Z');
        for (int i = 0; i < 32; ++i)
            file.write(chunk);
        file.write("H;\r\n");
    });
    before = PeakResidentKiB();
    const QString box = showAndTakeBox();
    EXPECT_TRUE(box.contains(QStringLiteral("line 1: unexpected character 'Z'"))) << box.toStdString();
    EXPECT_TRUE(LcdBlank(m_form.lcdImage()));
    if (MemoryIsMeasurable)
        EXPECT_LT(PeakResidentKiB() - before, MemoryAllowanceKiB);
    expectCarriesOn();
}

TEST_F(PreviewFaults, AHundredThousandLinesAreAllRead)
{
    // The lines after the 240th draw nothing, but each is still read: a
    // short line at the very end is found and counted right.
    const QByteArray line = RepeatedLine("FFH") + "\r\n";
    writeListing([&](QFile &file) {
        const QByteArray thousand = line.repeated(1000);
        for (int i = 0; i < 99; ++i)
            file.write(thousand);
        file.write(line.repeated(999));
        file.write("        DB\r\n");
    });
    const long before = PeakResidentKiB();
    const QString box = showAndTakeBox();
    EXPECT_TRUE(box.contains(QStringLiteral("line 100000: only 10 characters"))) << box.toStdString();
    EXPECT_TRUE(AllDots(m_form.lcdImage(), Black));
    if (MemoryIsMeasurable)
        EXPECT_LT(PeakResidentKiB() - before, MemoryAllowanceKiB);

    writeListing([&](QFile &file) { file.write(line.repeated(100000)); });
    EXPECT_EQ(showAndTakeBox(), QString());
    EXPECT_TRUE(AllDots(m_form.lcdImage(), Black));
}

// Through the main window: the listing that Convert wrote is gone when Show
// is pressed.
TEST(PreviewFaultsFromMainWindow, ListingRemovedAfterConvertIsReportedAndTheWindowsCarryOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SharedState state;
    RecordingMessages messages;
    Form1 form(state, messages);
    form.Init_Form();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    WriteFileOrFail(dir.filePath(QStringLiteral("logo.bmp")), MakeBmp({}));
    QString reason;
    ASSERT_TRUE(form.findChild<DirList *>(QStringLiteral("Dir1"))->setPath(dir.path(), reason));
    auto *file1 = form.findChild<FileList *>(QStringLiteral("File1"));
    file1->setCurrentItem(file1->item(0));
    QTest::keyClick(file1, Qt::Key_Return);
    auto *convert = form.findChild<QPushButton *>(QStringLiteral("ConvertButton"));
    auto *preview = form.findChild<QPushButton *>(QStringLiteral("PreviewButton"));
    QTest::mouseClick(convert, Qt::LeftButton);
    ASSERT_TRUE(preview->isEnabled());
    const QString listing = state.outputPath;
    ASSERT_TRUE(QFile::remove(listing));

    QImage shown;
    EXPECT_TRUE(WhileModal<Form2>([&] { QTest::mouseClick(preview, Qt::LeftButton); },
                                  [&](Form2 &form2) {
                                      PressShow(form2);
                                      shown = form2.lcdImage();
                                  }));
    const std::vector<RecordingMessages::Box> boxes = messages.take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.front().title, QStringLiteral("LCD Preview"));
    EXPECT_TRUE(boxes.front().text.contains(QStringLiteral("cannot be opened")));
    EXPECT_TRUE(boxes.front().text.contains(QDir::toNativeSeparators(listing)));
    EXPECT_TRUE(LcdBlank(shown));
    EXPECT_FALSE(QFile::exists(listing)) << "Show wrote a listing";

    // Convert again and the preview shows it: every pixel is palette entry 1,
    // so Normal lights none and Inverse all.
    form.findChild<QAbstractButton *>(QStringLiteral("InverseOption"))->click();
    QTest::mouseClick(convert, Qt::LeftButton);
    EXPECT_TRUE(WhileModal<Form2>([&] { QTest::mouseClick(preview, Qt::LeftButton); },
                                  [&](Form2 &form2) {
                                      PressShow(form2);
                                      shown = form2.lcdImage();
                                  }));
    EXPECT_TRUE(AllDots(shown, Black));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(form.isVisible());
}

} // namespace
