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
    const int paletteEntries = layout.bitCount <= 8 ? (layout.clrUsed > 0 ? layout.clrUsed : 1 << layout.bitCount) : 0;
    const int rowBytes = (layout.width * layout.bitCount + 31) / 32 * 4;
    const int dataOffset = 14 + layout.infoSize + 4 * paletteEntries;
    const int dataSize = rowBytes * layout.height;

    QByteArray bytes(dataOffset + dataSize, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PokeLe(bytes, 2, 4, bytes.size());
    PokeLe(bytes, 10, 4, dataOffset);
    PokeLe(bytes, 14, 4, layout.infoSize);
    PokeLe(bytes, 18, 4, layout.width);
    PokeLe(bytes, 22, 4, layout.height);
    PokeLe(bytes, 26, 2, 1);
    PokeLe(bytes, 28, 2, layout.bitCount);
    PokeLe(bytes, 34, 4, dataSize);
    PokeLe(bytes, 38, 4, 2835);
    PokeLe(bytes, 42, 4, 2835);
    PokeLe(bytes, 46, 4, layout.clrUsed);
    if (layout.infoSize >= 108) {
        PokeLe(bytes, 14 + 56, 4, 0x73524742); // 'sRGB' colour space
    }
    const int paletteAt = 14 + layout.infoSize;
    for (int i = 0; i < paletteEntries; ++i) {
        const std::uint32_t rgb = i == 0 ? layout.palette0 : i == 1 ? layout.palette1 : 0x808080;
        bytes[paletteAt + 4 * i] = char(rgb & 0xFF);            // blue
        bytes[paletteAt + 4 * i + 1] = char((rgb >> 8) & 0xFF); // green
        bytes[paletteAt + 4 * i + 2] = char((rgb >> 16) & 0xFF); // red
    }
    for (int y = 0; y < layout.height; ++y) {
        const int rowAt = dataOffset + (layout.height - 1 - y) * rowBytes;
        for (int x = 0; x < layout.width; ++x) {
            const int index = layout.index ? layout.index(x, y) : 1;
            if (layout.bitCount == 1) {
                if (index)
                    bytes[rowAt + x / 8] = char(bytes[rowAt + x / 8] | (0x80 >> (x % 8)));
            } else if (layout.bitCount == 8) {
                bytes[rowAt + x] = char(index);
            } else if (layout.bitCount == 4) {
                bytes[rowAt + x / 2] = char(bytes[rowAt + x / 2] | (index << (x % 2 ? 0 : 4)));
            } else if (layout.bitCount == 24) {
                const std::uint32_t rgb = index ? layout.palette1 : layout.palette0;
                bytes[rowAt + 3 * x] = char(rgb & 0xFF);
                bytes[rowAt + 3 * x + 1] = char((rgb >> 8) & 0xFF);
                bytes[rowAt + 3 * x + 2] = char((rgb >> 16) & 0xFF);
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
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray RepeatedLine(const char *field)
{
    QByteArray line("        DB ");
    for (int i = 0; i < 8; ++i) {
        line += field;
        line += i == 7 ? ";" : ",";
    }
    return line;
}
