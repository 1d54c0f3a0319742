#include "listingformat.h"
#include "outputpath.h"

#include "bmpfixture.h"

#include <QDir>

#include <gtest/gtest.h>

#include <array>

TEST(ListingLine, WorkedExampleAndAShortLine)
{
    const std::array<std::uint8_t, 8> bytes{0x01, 0xFF, 0x80, 0x0F, 0xF0, 0x00, 0x05, 0xC0};
    EXPECT_EQ(FormatLine(bytes), QByteArray(WorkedExampleLine));
    QByteArray appended("x");
    AppendLine(appended, bytes);
    EXPECT_EQ(appended, "x" + QByteArray(WorkedExampleLine) + "\r\n");
    EXPECT_EQ(FormatLine(std::array<std::uint8_t, 2>{0xA0, 0x10}), QByteArray("        DB A0H,10H;"));
}

struct NameCase { const char *name; const char *folder; const char *file; const char *path; };

class OutputNaming : public ::testing::TestWithParam<NameCase> {};

TEST_P(OutputNaming, LcdPrefixAndTxtForEveryBmp)
{
    const NameCase &c = GetParam();
    // The platform's separator joins; written here as "/" and made native.
    EXPECT_EQ(FormOutputPath(QString::fromUtf8(c.folder), QString::fromUtf8(c.file)),
              QString::fromUtf8(c.path).replace(QLatin1Char('/'), QDir::separator()));
}

INSTANTIATE_TEST_SUITE_P(Names, OutputNaming, ::testing::Values(
    NameCase{"upperCase", "/work", "LOGO.BMP", "/work/lcd_LOGO.txt"},
    NameCase{"mixedCase", "/work", "Logo.Bmp", "/work/lcd_Logo.txt"},
    NameCase{"bmpTwice", "/work", "a.bmp.bmp", "/work/lcd_a.txt.txt"},
    NameCase{"nothingSelected", "/work", "", "/work/lcd_"},
    NameCase{"folderEndsInSeparator", "/", "logo.bmp", "//lcd_logo.txt"}),
    [](const auto &info) { return std::string(info.param.name); });
