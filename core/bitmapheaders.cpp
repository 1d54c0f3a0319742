#include "bitmapheaders.h"

#include <QFile>

namespace {

// Reads little-endian fields one after the other; bytes past the end read as zero.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &bytes) : m_bytes(bytes) {}

    std::uint8_t byte()
    {
        const qsizetype at = m_pos++;
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
    qint64 m_pos = 0;
};

constexpr qint64 FileHeaderSize = 14;
constexpr qint64 InfoHeaderSize = 40;

} // namespace

qint64 PaletteOffset(const BitmapHeaders &headers)
{
    // A longer info header (108 or 124 bytes from common paint programs) moves
    // the palette back; an older or broken shorter one is read as if it were 40.
    const qint64 infoSize = headers.biSize < InfoHeaderSize ? InfoHeaderSize : headers.biSize;
    return FileHeaderSize + infoSize;
}

HeaderReadResult ReadBitmapHeaders(QIODevice &device, BitmapHeaders &h, PaletteColours &palette)
{
    HeaderReadResult result;
    result.ok = true;
    result.fileSize = device.size();

    const QByteArray headerBytes = device.read(FileHeaderSize + InfoHeaderSize);
    FieldReader in(headerBytes);
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

    if (h.biBitCount != 1)
        return result;

    // Only the eight bytes of the two entries are read, however far the
    // header says the palette lies; entries past the end read as zero.
    QByteArray entryBytes;
    const qint64 at = PaletteOffset(h);
    if (at < result.fileSize && device.seek(at))
        entryBytes = device.read(8);
    FieldReader entries(entryBytes);
    for (PaletteEntry &entry : palette) {
        entry.blue = entries.byte();
        entry.green = entries.byte();
        entry.red = entries.byte();
        entry.reserved = entries.byte();
    }
    result.paletteRead = true;
    return result;
}

HeaderReadResult ReadBitmapHeaders(const QString &path, BitmapHeaders &headers,
                                   PaletteColours &palette)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        HeaderReadResult result;
        result.error = file.errorString();
        return result;
    }
    return ReadBitmapHeaders(file, headers, palette);
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

QString ColorValueText(const BitmapHeaders &headers)
{
    const int bits = headers.biBitCount;
    // Two to the power of the bit count; only 1 is ever shown, but keep it
    // defined for any value.
    const QString colours = bits >= 0 && bits < 63 ? QString::number(1ULL << bits)
                                                   : QStringLiteral("?");
    return QString::number(bits) + QStringLiteral(" Bits ") + QStringLiteral(" (") + colours
        + QStringLiteral(" Colors)");
}

PictureDataProblem CheckPictureData(const BitmapHeaders &h, qint64 fileSize)
{
    if (h.biCompression != 0)
        return PictureDataProblem::UnsupportedCompression;
    // biClrUsed 0 means the full two entries; one entry leaves a pixel value
    // without a colour.
    if (h.biClrUsed == 1 || h.biClrUsed < 0)
        return PictureDataProblem::PaletteIncomplete;
    // The decoder reads as many entries as biClrUsed names and, when they run
    // past bfOffBits, takes the pixel data from where the palette ended: every
    // row shifted. So the whole palette must fit before the data, not just the
    // two entries that are used.
    const qint64 entries = h.biClrUsed > 2 ? qint64(h.biClrUsed) : 2;
    const qint64 paletteEnd = PaletteOffset(h) + 4 * entries;
    if (paletteEnd > fileSize)
        return PictureDataProblem::PaletteIncomplete;
    if (h.bfOffBits < paletteEnd || h.bfOffBits > fileSize)
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
