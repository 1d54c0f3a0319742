#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>

// Builds BMP files for the tests, independently of the code under test:
// bottom-up rows, leftmost pixel in the highest bit, rows padded to 4 bytes.
struct BmpLayout
{
    int width = 240;
    int height = 64;
    int bitCount = 1;
    int infoSize = 40;             // 40, 108 or 124 write a full header of that size
    std::uint32_t palette0 = 0x000000; // 0xRRGGBB
    std::uint32_t palette1 = 0xFFFFFF;
    int clrUsed = 0;
    // The palette index of pixel (x, y), y = 0 the top row. Default: all 1.
    std::function<int(int x, int y)> index;
};

QByteArray MakeBmp(const BmpLayout &layout);

// Overwrites a little-endian field of size bytes (2, 3 or 4) at offset.
void PokeLe(QByteArray &bytes, int offset, int size, std::int64_t value);

// Writes bytes to path; fails the current test when it cannot.
void WriteFileOrFail(const QString &path, const QByteArray &bytes);
QByteArray ReadFileOrEmpty(const QString &path);

// A listing line made of eight copies of one field, e.g. RepeatedLine("00H").
QByteArray RepeatedLine(const char *field);
// A whole listing: 240 such lines, each ended by CR LF, some replaced by others.
QByteArray UniformListing(const char *field, const std::map<int, QByteArray> &replaced = {});

// The worked example: row 0 lights these columns of 0 to 63, and its first line.
bool WorkedExampleOn(int column);
inline constexpr char WorkedExampleLine[] = "        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;";
