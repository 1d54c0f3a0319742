#include "bmpfixture.h"

#include <QFile>

#include <gtest/gtest.h>

void PokeLe(QByteArray &bytes, int offset, int size, std::int64_t value)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = char((std::uint64_t(value) >> (8 * i)) & 0xFF);
}

QByteArray MakeBmp(const BmpLayout &layout)
{
    const int bits = layout.bitCount;
    const int rowBytes = (layout.width * bits + 31) / 32 * 4;
    const int dataOffset = 14 + layout.infoSize + 4 * (1 << bits);
    QByteArray bytes(dataOffset + rowBytes * layout.height, '\0');
    PokeLe(bytes, 0, 2, 0x4D42); // "BM"
    PokeLe(bytes, 2, 4, bytes.size());
    PokeLe(bytes, 10, 4, dataOffset);
    PokeLe(bytes, 14, 4, layout.infoSize);
    PokeLe(bytes, 18, 4, layout.width);
    PokeLe(bytes, 22, 4, layout.height);
    PokeLe(bytes, 26, 2, 1);
    PokeLe(bytes, 28, 2, bits);
    // Entries are blue, green, red: 0xRRGGBB little-endian.
    PokeLe(bytes, 14 + layout.infoSize, 3, layout.palette0);
    PokeLe(bytes, 18 + layout.infoSize, 3, layout.palette1);
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            const int index = layout.index ? layout.index(x, y) : 1;
            const int perByte = 8 / bits;
            char &byte = bytes[dataOffset + (layout.height - 1 - y) * rowBytes + x / perByte];
            byte = char(byte | (index << (8 - bits * (x % perByte + 1))));
        }
    }
    return bytes;
}

void WriteFileOrFail(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << path.toStdString();
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

QByteArray UniformListing(const char *field)
{
    return (RepeatedLine(field) + "\r\n").repeated(240);
}
