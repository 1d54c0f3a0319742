#include "decodedpicture.h"

#include <QFile>

namespace {

// Rows of pixel data are padded to a whole number of 32-bit words.
constexpr int RowBytes = (LcdWidth + 31) / 32 * 4;

// "BM", the first two bytes of every BMP file, read as a little-endian field.
constexpr std::int16_t BmpType = 0x4D42;

// The info headers whose palette follows them directly: Windows 3 (40),
// OS/2 2 (64), Windows 4 (108) and 5 (124).
bool KnownInfoHeader(std::int32_t size)
{
    return size == 40 || size == 64 || size == 108 || size == 124;
}

DecodedPicture Failed(const QString &reason)
{
    DecodedPicture picture;
    picture.error = reason;
    return picture;
}

} // namespace

RgbColour DecodedPicture::pixelColour(int x, int y) const
{
    if (x < 0 || x >= LcdWidth || y < 0 || y >= LcdHeight)
        return 0;
    return PaletteRgb(palette[indexes[std::size_t(y * LcdWidth + x)]]);
}

DecodedPicture DecodeBitmap(QIODevice &device, const BitmapHeaders &headers,
                            const PaletteColours &palette)
{
    if (!IsAdmitted(headers))
        return Failed(RefusalText());
    const PictureDataProblem problem = CheckPictureData(headers, device.size());
    if (problem != PictureDataProblem::None)
        return Failed(DescribeProblem(problem));
    QByteArray rows;
    if (device.seek(headers.bfOffBits))
        rows = device.read(RowBytes * LcdHeight);
    if (rows.size() != RowBytes * LcdHeight)
        return Failed(DescribeProblem(PictureDataProblem::DataIncomplete));
    if (headers.bfType != BmpType || headers.biPlanes != 1 || !KnownInfoHeader(headers.biSize))
        return Failed(QStringLiteral("the picture cannot be decoded: Unable to read image data"));

    DecodedPicture picture;
    picture.palette = palette;
    // The file holds the bottom row first.
    for (int y = 0; y < LcdHeight; ++y) {
        const char *row = rows.constData() + (LcdHeight - 1 - y) * RowBytes;
        for (int x = 0; x < LcdWidth; ++x) {
            const int bit = (std::uint8_t(row[x / 8]) >> (7 - x % 8)) & 1;
            picture.indexes[std::size_t(y * LcdWidth + x)] = std::uint8_t(bit);
        }
    }
    return picture;
}

DecodedPicture DecodeBitmapFile(const QString &path, const BitmapHeaders &headers,
                                const PaletteColours &palette)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(file.errorString());
    return DecodeBitmap(file, headers, palette);
}
