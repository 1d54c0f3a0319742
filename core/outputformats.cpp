#include "outputformats.h"

#include "listingformat.h"

#include <cstdint>

QByteArray FormatCArray(QByteArrayView bytes, const QString &identifier, QByteArrayView litDots)
{
    // The guard: the identifier in capitals and "_H", LCD_LOGO_H for lcd_logo.
    // One that starts with "_" ("_2x" for 2x.h) gets "DOTPRESS" in front: "_"
    // and a capital start a name reserved to the compiler, and "LCD" would
    // make it the guard of lcd_2x.h.
    QString guard = identifier.toUpper() + QLatin1String("_H");
    if (guard.startsWith(QLatin1Char('_')))
        guard.prepend(QLatin1String("DOTPRESS"));

    const QByteArray name = identifier.toLatin1();
    const QByteArray guardName = guard.toLatin1();
    QByteArray out;
    out += "/* " + name + ": a picture of 240 x 64 dots for the graphic LCD module.\n"
           " * Rows from the top, 30 bytes a row, eight dots a byte with the leftmost\n"
           " * dot in bit 0; a 1 bit is a lit dot.\n"
           " * " + litDots.toByteArray() + " */\n";
    out += "#ifndef " + guardName + "\n#define " + guardName + "\n\n";
    out += "static const unsigned char " + name + '[' + QByteArray::number(bytes.size())
           + "] = {\n";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = std::uint8_t(bytes[i]);
        out += i % 8 == 0 ? "    0x" : " 0x";
        out += HexDigits[b >> 4];
        out += HexDigits[b & 0x0F];
        if (i + 1 < bytes.size())
            out += ',';
        if (i % 8 == 7 || i + 1 == bytes.size())
            out += '\n';
    }
    out += "};\n\n#endif /* " + guardName + " */\n";
    return out;
}

namespace {

void appendLittleEndian(QByteArray &out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

// The bitmap byte of eight dots: bit order reversed, lit (1) becomes index 0.
char bitmapByte(std::uint8_t lcdByte)
{
    unsigned reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        reversed |= ((lcdByte >> bit) & 1u) << (7 - bit);
    return char(~reversed & 0xFF);
}

} // namespace

QByteArray EncodeBitmap(QByteArrayView bytes)
{
    constexpr int rowBytes = LcdWidth / 8; // 30 of each row's 32
    constexpr int headerBytes = Bmp::FileHeaderSize + Bmp::InfoHeaderSize + 2 * Bmp::PaletteEntrySize;
    constexpr int imageBytes = LcdRowBytes * LcdHeight;

    QByteArray out;
    out.reserve(headerBytes + imageBytes);
    out += "BM";
    appendLittleEndian(out, headerBytes + imageBytes, 4); // bfSize
    appendLittleEndian(out, 0, 4);                        // bfReserved1, bfReserved2
    appendLittleEndian(out, headerBytes, 4);              // bfOffBits
    appendLittleEndian(out, Bmp::InfoHeaderSize, 4);      // biSize
    appendLittleEndian(out, LcdWidth, 4);
    appendLittleEndian(out, LcdHeight, 4);
    appendLittleEndian(out, 1, 2);                        // biPlanes
    appendLittleEndian(out, LcdBitCount, 2);
    appendLittleEndian(out, 0, 4);                        // biCompression: none
    appendLittleEndian(out, imageBytes, 4);               // biSizeImage
    out += QByteArray(16, '\0');                          // resolution, colours used, important
    appendLittleEndian(out, 0x00000000, 4);               // entry 0: black
    appendLittleEndian(out, 0x00FFFFFF, 4);               // entry 1: white

    for (int y = LcdHeight - 1; y >= 0; --y) {
        for (int i = y * rowBytes; i < (y + 1) * rowBytes; ++i)
            out += bitmapByte(i < bytes.size() ? std::uint8_t(bytes[i]) : 0);
        out += QByteArray(LcdRowBytes - rowBytes, '\0');
    }
    return out;
}

QByteArray BrailleText(QByteArrayView bytes)
{
    constexpr int rowBytes = LcdWidth / 8;
    const auto lit = [&](int x, int y) {
        const qsizetype at = qsizetype(y) * rowBytes + x / 8;
        return at < bytes.size() && (std::uint8_t(bytes[at]) >> (x % 8)) & 1;
    };
    // The bit of each dot of a character, by column and then row from the top.
    constexpr int bit[2][4] = {{0, 1, 2, 6}, {3, 4, 5, 7}};
    QByteArray text;
    for (int top = 0; top < LcdHeight; top += 4) {
        for (int left = 0; left < LcdWidth; left += 2) {
            unsigned dots = 0;
            for (int column = 0; column < 2; ++column)
                for (int row = 0; row < 4; ++row)
                    if (lit(left + column, top + row))
                        dots |= 1u << bit[column][row];
            // U+2800 + dots in UTF-8: E2, A0 + the top two bits, 80 + the rest.
            text += char(0xE2);
            text += char(0xA0 | (dots >> 6));
            text += char(0x80 | (dots & 0x3F));
        }
        text += '\n';
    }
    return text;
}
