#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

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

// Overwrites a little-endian field of size 2 or 4 at offset.
void PokeLe(QByteArray &bytes, int offset, int size, std::int64_t value);

// Writes bytes to path; fails the current test when it cannot.
void WriteFileOrFail(const QString &path, const QByteArray &bytes);
QByteArray ReadFileOrEmpty(const QString &path);

// A listing line made of eight copies of one field, e.g. RepeatedLine("00H").
QByteArray RepeatedLine(const char *field);
