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

// The bytes of the rows of a 1-bit picture of the headers' size.
qint64 PictureDataSize(const BitmapHeaders &h)
{
    return qint64(Bmp::RowBytes(h.biWidth, LcdBitCount)) * h.biHeight;
}

// What may be wrong with an admitted bitmap's file beyond its size and depth.
enum class PictureDataProblem {
    None,
    UnsupportedCompression, // a 1-bit picture is stored uncompressed or not at all
    PaletteIncomplete,      // fewer than two entries, or the palette overlaps the data or the end
    DataOffsetInvalid,      // the pixel data would start before the palette ends or past the file
    DataIncomplete,         // the file ends before the last row of pixel data
};

// Checks that an admitted bitmap's file of fileSize bytes holds the palette
// its headers declare and that its pixel data starts after that palette,
// within the file: a file that overlaps the two is malformed, and a guess at
// its colours or rows could light the wrong dots.
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

// A short English description of a problem, for messages.
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

qint64 MaxBitmapBytes(DotSize module)
{
    return std::max<qint64>(1 << 20, 2 * qint64(Bmp::RowBytes(module.width, LcdBitCount)) * module.height);
}

BitmapFile ReadBitmapFile(QIODevice &device, DotSize module)
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

    const bool admitted = IsAdmitted(h, module);
    const qint64 limit = MaxBitmapBytes(module);
    qint64 needed = PaletteOffset(h) + 2 * Bmp::PaletteEntrySize;
    if (admitted)
        needed = std::max({needed, PaletteEnd(h), h.bfOffBits + PictureDataSize(h)});
    if (!ReadUpTo(device, file.bytes, std::min(needed, limit), file.error))
        return file;
    // Still more to come, the headers say, but the input may well end soon:
    // which of the two is not found out by reading on.
    file.pastLimit = admitted && needed > limit && file.bytes.size() == limit;

    FieldReader entries(file.bytes, PaletteOffset(h));
    for (PaletteEntry &entry : file.palette) {
        entry.blue = entries.byte();
        entry.green = entries.byte();
        entry.red = entries.byte();
        entry.reserved = entries.byte();
    }
    return file;
}

bool IsAdmitted(const BitmapHeaders &headers, DotSize module)
{
    return headers.biHeight == module.height && headers.biWidth == module.width
        && headers.biBitCount == LcdBitCount;
}

QString RefusalText(DotSize module)
{
    return QStringLiteral("Picture Resolution is limit to ") + QString::number(module.width)
        + QStringLiteral(" x ") + QString::number(module.height)
        + QStringLiteral(" pixels (Width x Height) and ") + QStringLiteral("\r\n")
        + QString::number(LcdColours) + QStringLiteral(" Colors Bitmap.");
}

RgbColour DecodedPicture::pixelColour(int x, int y) const
{
    if (x < 0 || x >= size.width || y < 0 || y >= size.height || indexes.empty())
        return 0;
    return PaletteRgb(palette[indexes[std::size_t(y) * std::size_t(size.width) + std::size_t(x)]]);
}

DecodedPicture DecodeBitmap(const BitmapFile &file)
{
    const BitmapHeaders &h = file.headers;
    const DotSize size{h.biWidth, h.biHeight};
    if (h.biBitCount != LcdBitCount || size.width < 1 || size.height < 1 || size.width > MaxModuleSide
        || size.height > MaxModuleSide)
        return Failed(QStringLiteral("the picture cannot be decoded: it is not a 1-bit bitmap of a module's size"));
    if (file.pastLimit)
        return Failed(QStringLiteral("its headers place the picture data past the first %1 bytes; "
                                     "a %2 x %3 bitmap needs %4 bytes of rows")
                          .arg(MaxBitmapBytes(size)).arg(size.width).arg(size.height).arg(PictureDataSize(h)));
    // Read as far as the headers say the picture needs, or to the end of a
    // shorter file: either way the checks see all they look at.
    const PictureDataProblem problem = CheckPictureData(h, file.bytes.size());
    if (problem != PictureDataProblem::None)
        return Failed(DescribeProblem(problem));
    if (h.bfOffBits + PictureDataSize(h) > file.bytes.size())
        return Failed(DescribeProblem(PictureDataProblem::DataIncomplete));
    if (const QString fault = FormatFault(h, file.bytes); !fault.isEmpty())
        return Failed(QStringLiteral("the picture cannot be decoded: ") + fault);

    DecodedPicture picture;
    picture.palette = file.palette;
    picture.size = size;
    picture.indexes.resize(std::size_t(size.width) * std::size_t(size.height));
    const int rowBytes = Bmp::RowBytes(size.width, LcdBitCount);
    // The file holds the bottom row first.
    for (int y = 0; y < size.height; ++y) {
        const char *row = file.bytes.constData() + h.bfOffBits + qint64(size.height - 1 - y) * rowBytes;
        for (int x = 0; x < size.width; ++x) {
            const int bit = (std::uint8_t(row[x / 8]) >> (7 - x % 8)) & 1;
            picture.indexes[std::size_t(y) * std::size_t(size.width) + std::size_t(x)] = std::uint8_t(bit);
        }
    }
    return picture;
}
