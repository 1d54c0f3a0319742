#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// Builds BMP files for the tests, independently of the code under test:
// bottom-up rows padded to 4 bytes, the leftmost pixel in the highest bits.
struct BmpLayout
{
    int width = 240;
    int height = 64;
    int bitCount = 1;                  // 1, 4 or 8
    int infoSize = 40;                 // the palette follows the info header
    std::uint32_t palette0 = 0x000000; // 0xRRGGBB
    std::uint32_t palette1 = 0xFFFFFF;
    // The palette index of pixel (x, y), y = 0 the top row. Default: all 1.
    std::function<int(int x, int y)> index;
};

QByteArray MakeBmp(const BmpLayout &layout);

// Overwrites a little-endian field of size bytes at offset.
void PokeLe(QByteArray &bytes, int offset, int size, std::int64_t value);

void WriteFileOrFail(const QString &path, const QByteArray &bytes);
QByteArray ReadFileOrEmpty(const QString &path);

// A line of eight copies of one field ("00H"), and a listing of 240 of them, each ended by CR LF.
QByteArray RepeatedLine(const char *field);
QByteArray UniformListing(const char *field);

// The worked example: its first line, and the 64 dots of row 0 that it draws.
inline constexpr char WorkedExampleLine[] = "        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;";
inline constexpr char WorkedExampleDots[] = "1000000011111111000000011111000000001111000000001010000000000011";
