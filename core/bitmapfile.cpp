#include "bitmapfile.h"

#include <QIODevice>

#include <algorithm>

namespace {

constexpr qint64 HeadersSize = Bmp::FileHeaderSize + Bmp::InfoHeaderSize;

// Reads little-endian fields one after the other from offset on; bytes past
// the end read as zero.
class FieldReader
{
public:
    FieldReader(const QByteArray &bytes, qint64 offset) : m_bytes(bytes), m_pos(offset) {}

    std::uint8_t byte()
    {
        const qint64 at = m_pos++;
        return at < m_bytes.size() ? std::uint8_t(m_bytes[at]) : 0;
    }
    std::int16_t int16()
    {
        const std::uint16_t low = byte();
        const std::uint16_t high = byte();
        return std::int16_t(std::uint16_t(low | (high << 8)));
    }
    std::int32_t int32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t(byte()) << (8 * i);
        return std::int32_t(value);
    }

private:
    const QByteArray &m_bytes;
    qint64 m_pos;
};

// The file offset of the first palette entry: just after the info header. A
// longer header (108 or 124 bytes from common paint programs) moves the
// palette back; an older or broken shorter one is read as if it were 40.
qint64 PaletteOffset(const BitmapHeaders &h)
{
    return Bmp::FileHeaderSize + std::max<qint64>(Bmp::InfoHeaderSize, h.biSize);
}

// Where the palette the headers declare ends: biClrUsed entries, 0 meaning
// the full two.
qint64 PaletteEnd(const BitmapHeaders &h)
{
    return PaletteOffset(h) + Bmp::PaletteEntrySize * std::max<qint64>(2, h.biClrUsed);
}

constexpr qint64 PictureDataSize = qint64(LcdRowBytes) * LcdHeight;

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

// What keeps a picture whose data is all there from being decoded.
QString FormatFault(const BitmapHeaders &h, const QByteArray &bytes)
{
    if (h.bfType != Bmp::Type)
        return QStringLiteral("it is not a BMP file: it starts with 0x%1, not \"BM\"")
            .arg(QString::fromLatin1(bytes.left(2).toHex()));
    if (h.biPlanes != 1)
        return QStringLiteral("it has %1 planes; a BMP file has one").arg(h.biPlanes);
    if (!KnownInfoHeader(h.biSize))
        return QStringLiteral("its info header is %1 bytes long, not 40, 64, 108 or 124").arg(h.biSize);
    return {};
}

} // namespace

bool ReadUpTo(QIODevice &device, QByteArray &bytes, qint64 size, QString &error)
{
    while (bytes.size() < size) {
        const qint64 had = bytes.size();
        bytes.resize(size);
        const qint64 got = device.read(bytes.data() + had, size - had);
        bytes.resize(had + std::max<qint64>(got, 0));
        if (got < 0) {
            error = device.errorString();
            return false;
        }
        if (got == 0)
            break;
    }
    return true;
}

RgbColour PaletteRgb(const PaletteEntry &entry)
{
    return Rgb(entry.red, entry.green, entry.blue);
}

BitmapFile ReadBitmapFile(QIODevice &device)
{
    BitmapFile file;
    if (!ReadUpTo(device, file.bytes, HeadersSize, file.error))
        return file;
    BitmapHeaders &h = file.headers;
    FieldReader in(file.bytes, 0);
    h.bfType = in.int16();
    h.bfSize = in.int32();
    h.bfReserved1 = in.int16();
    h.bfReserved2 = in.int16();
    h.bfOffBits = in.int32();
    h.biSize = in.int32();
    h.biWidth = in.int32();
    h.biHeight = in.int32();
    h.biPlanes = in.int16();
    h.biBitCount = in.int16();
    h.biCompression = in.int32();
    h.biSizeImage = in.int32();
    h.biXPelsPerMeter = in.int32();
    h.biYPelsPerMeter = in.int32();
    h.biClrUsed = in.int32();
    h.biClrImportant = in.int32();
    if (h.biBitCount != LcdBitCount)
        return file;

    qint64 needed = PaletteOffset(h) + 2 * Bmp::PaletteEntrySize;
    if (IsAdmitted(h))
        needed = std::max({needed, PaletteEnd(h), h.bfOffBits + PictureDataSize});
    if (!ReadUpTo(device, file.bytes, std::min(needed, MaxBitmapBytes), file.error))
        return file;
    // Still more to come, the headers say, but the input may well end soon:
    // which of the two is not found out by reading on.
    file.pastLimit = IsAdmitted(h) && needed > MaxBitmapBytes && file.bytes.size() == MaxBitmapBytes;

    FieldReader entries(file.bytes, PaletteOffset(h));
    for (PaletteEntry &entry : file.palette) {
        entry.blue = entries.byte();
        entry.green = entries.byte();
        entry.red = entries.byte();
        entry.reserved = entries.byte();
    }
    return file;
}

bool IsAdmitted(const BitmapHeaders &headers)
{
    return headers.biHeight == LcdHeight && headers.biWidth == LcdWidth
        && headers.biBitCount == LcdBitCount;
}

QString RefusalText()
{
    return QStringLiteral("Picture Resolution is limit to ") + QString::number(LcdWidth)
        + QStringLiteral(" x ") + QString::number(LcdHeight)
        + QStringLiteral(" pixels (Width x Height) and ") + QStringLiteral("\r\n")
        + QString::number(LcdColours) + QStringLiteral(" Colors Bitmap.");
}

PictureDataProblem CheckPictureData(const BitmapHeaders &h, qint64 fileSize)
{
    if (h.biCompression != 0)
        return PictureDataProblem::UnsupportedCompression;
    // One entry leaves a pixel value without a colour.
    if (h.biClrUsed == 1 || h.biClrUsed < 0)
        return PictureDataProblem::PaletteIncomplete;
    if (PaletteEnd(h) > fileSize)
        return PictureDataProblem::PaletteIncomplete;
    if (h.bfOffBits < PaletteEnd(h) || h.bfOffBits > fileSize)
        return PictureDataProblem::DataOffsetInvalid;
    return PictureDataProblem::None;
}

QString DescribeProblem(PictureDataProblem problem)
{
    switch (problem) {
    case PictureDataProblem::None:
        return {};
    case PictureDataProblem::UnsupportedCompression:
        return QStringLiteral("compressed picture data is not supported for 1-bit bitmaps");
    case PictureDataProblem::PaletteIncomplete:
        return QStringLiteral("palette incomplete: the file does not hold both colours");
    case PictureDataProblem::DataOffsetInvalid:
        return QStringLiteral("picture data offset invalid: it overlaps the palette or lies past the end of the file");
    case PictureDataProblem::DataIncomplete:
        return QStringLiteral("picture data incomplete: the file ends before the last row");
    }
    return {};
}

RgbColour DecodedPicture::pixelColour(int x, int y) const
{
    if (x < 0 || x >= LcdWidth || y < 0 || y >= LcdHeight)
        return 0;
    return PaletteRgb(palette[indexes[std::size_t(y * LcdWidth + x)]]);
}

DecodedPicture DecodeBitmap(const BitmapFile &file)
{
    const BitmapHeaders &h = file.headers;
    if (file.pastLimit)
        return Failed(QStringLiteral("its headers place the picture data past the first %1 bytes; "
                                     "a 240 x 64 bitmap needs about 2 KiB").arg(MaxBitmapBytes));
    // Read as far as the headers say the picture needs, or to the end of a
    // shorter file: either way the checks see all they look at.
    const PictureDataProblem problem = CheckPictureData(h, file.bytes.size());
    if (problem != PictureDataProblem::None)
        return Failed(DescribeProblem(problem));
    if (h.bfOffBits + PictureDataSize > file.bytes.size())
        return Failed(DescribeProblem(PictureDataProblem::DataIncomplete));
    if (const QString fault = FormatFault(h, file.bytes); !fault.isEmpty())
        return Failed(QStringLiteral("the picture cannot be decoded: ") + fault);

    DecodedPicture picture;
    picture.palette = file.palette;
    // The file holds the bottom row first.
    for (int y = 0; y < LcdHeight; ++y) {
        const char *row = file.bytes.constData() + h.bfOffBits + (LcdHeight - 1 - y) * LcdRowBytes;
        for (int x = 0; x < LcdWidth; ++x) {
            const int bit = (std::uint8_t(row[x / 8]) >> (7 - x % 8)) & 1;
            picture.indexes[std::size_t(y * LcdWidth + x)] = std::uint8_t(bit);
        }
    }
    return picture;
}
