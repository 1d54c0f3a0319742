#include "bmpfixture.h"

#include <QFile>

#include <set>

#include <gtest/gtest.h>

void PokeLe(QByteArray &bytes, int offset, int size, std::int64_t value)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = char((std::uint64_t(value) >> (8 * i)) & 0xFF);
}

QByteArray MakeBmp(const BmpLayout &layout)
{
    const int bits = layout.bitCount;
    const int paletteEntries = bits <= 8 ? (layout.clrUsed > 0 ? layout.clrUsed : 1 << bits) : 0;
    const int rowBytes = (layout.width * bits + 31) / 32 * 4;
    const int dataOffset = 14 + layout.infoSize + 4 * paletteEntries;
    const int dataSize = rowBytes * layout.height;

    QByteArray bytes(dataOffset + dataSize, '\0');
    PokeLe(bytes, 0, 2, 0x4D42); // "BM"
    PokeLe(bytes, 2, 4, bytes.size());
    PokeLe(bytes, 10, 4, dataOffset);
    PokeLe(bytes, 14, 4, layout.infoSize);
    PokeLe(bytes, 18, 4, layout.width);
    PokeLe(bytes, 22, 4, layout.height);
    PokeLe(bytes, 26, 2, 1);
    PokeLe(bytes, 28, 2, bits);
    PokeLe(bytes, 34, 4, dataSize);
    PokeLe(bytes, 38, 4, 2835);
    PokeLe(bytes, 42, 4, 2835);
    PokeLe(bytes, 46, 4, layout.clrUsed);
    if (layout.infoSize >= 108)
        PokeLe(bytes, 14 + 56, 4, 0x73524742); // 'sRGB' colour space
    // Palette entries and 24-bit pixels are blue, green, red: 0xRRGGBB little-endian.
    for (int i = 0; i < paletteEntries; ++i)
        PokeLe(bytes, 14 + layout.infoSize + 4 * i, 3, i == 0 ? layout.palette0 : i == 1 ? layout.palette1 : 0x808080);
    for (int y = 0; y < layout.height; ++y) {
        const int rowAt = dataOffset + (layout.height - 1 - y) * rowBytes;
        for (int x = 0; x < layout.width; ++x) {
            const int index = layout.index ? layout.index(x, y) : 1;
            if (bits == 24) {
                PokeLe(bytes, rowAt + 3 * x, 3, index ? layout.palette1 : layout.palette0);
            } else if (bits <= 8) { // the leftmost pixel in the highest bits
                const int perByte = 8 / bits;
                char &byte = bytes[rowAt + x / perByte];
                byte = char(byte | (index << (8 - bits * (x % perByte + 1))));
            }
        }
    }
    return bytes;
}

void WriteFileOrFail(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadFileOrEmpty(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray RepeatedLine(const char *field)
{
    QByteArray line = "        DB " + (field + QByteArray(",")).repeated(8);
    line.back() = ';';
    return line;
}

QByteArray UniformListing(const char *field, const std::map<int, QByteArray> &replaced)
{
    QByteArray listing;
    for (int line = 0; line < 240; ++line)
        listing += (replaced.count(line) ? replaced.at(line) : RepeatedLine(field)) + "\r\n";
    return listing;
}

bool WorkedExampleOn(int column)
{
    static const std::set<int> on{0, 8, 9, 10, 11, 12, 13, 14, 15, 23, 24, 25, 26, 27, 36, 37, 38, 39, 48, 50, 62, 63};
    return on.count(column) > 0;
}
