#include "listingformat.h"
#include "outputpath.h"

#include <QDir>

#include <gtest/gtest.h>

#include <array>

struct FieldCase { const char *name; int value; const char *field; };

class ByteField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ByteField, TwoUpperCaseDigitsAndH)
{
    EXPECT_EQ(FormatByteField(std::uint8_t(GetParam().value)), QByteArray(GetParam().field));
}

INSTANTIATE_TEST_SUITE_P(Values, ByteField, ::testing::Values(
    FieldCase{"zero", 0, "00H"}, FieldCase{"ten", 10, "0AH"}, FieldCase{"fifteen", 15, "0FH"},
    FieldCase{"sixteen", 16, "10H"}, FieldCase{"letterFirst", 160, "A0H"},
    FieldCase{"max", 255, "FFH"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListingLine, WorkedExampleIsFortyThreeCharacters)
{
    const std::array<std::uint8_t, 8> bytes{0x01, 0xFF, 0x80, 0x0F, 0xF0, 0x00, 0x05, 0xC0};
    const QByteArray line = FormatLine(bytes);
    EXPECT_EQ(line, QByteArray("        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;"));
    EXPECT_EQ(line.size(), Listing::LineLength);

    QByteArray appended("x");
    AppendLine(appended, bytes);
    EXPECT_EQ(appended, "x" + line + "\r\n");
}

TEST(ListingLine, ShortLinesCloseTheirLastField)
{
    const std::array<std::uint8_t, 1> one{0x0A};
    EXPECT_EQ(FormatLine(one), QByteArray("        DB 0AH;"));
    const std::array<std::uint8_t, 2> two{0xA0, 0x10};
    EXPECT_EQ(FormatLine(two), QByteArray("        DB A0H,10H;"));
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
    NameCase{"lowerCase", "/work", "logo.bmp", "/work/lcd_logo.txt"},
    NameCase{"upperCase", "/work", "LOGO.BMP", "/work/lcd_LOGO.txt"},
    NameCase{"mixedCase", "/work", "Logo.Bmp", "/work/lcd_Logo.txt"},
    NameCase{"bmpTwice", "/work", "a.bmp.bmp", "/work/lcd_a.txt.txt"},
    NameCase{"bmpInside", "/work", "a.bmpx.bmp", "/work/lcd_a.txtx.txt"},
    NameCase{"noExtension", "/work", "picture", "/work/lcd_picture"},
    NameCase{"nothingSelected", "/work", "", "/work/lcd_"},
    NameCase{"folderEndsInSeparator", "/", "logo.bmp", "//lcd_logo.txt"}),
    [](const auto &info) { return std::string(info.param.name); });
