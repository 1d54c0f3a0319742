#include "picture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The conversion lights the pixels whose colour equals a palette entry read
// by the header reader. Should the decoder have given the pixels colours of
// its own (a palette taken from elsewhere, an entry it made up for a short
// palette), the listing would light the wrong dots, so both must agree.
bool coloursMatchPalette(QIODevice &device, const QImage &image)
{
    BitmapHeaders headers;
    PaletteColours palette;
    if (image.colorCount() < 2 || !device.seek(0) || !ReadBitmapHeaders(device, headers, palette).paletteRead)
        return false;
    // The decoder may hold the two colours in the other order (it swaps a
    // 1-bit palette together with every pixel bit), so compare them as a pair.
    const RgbColour first = FromQRgb(image.color(0));
    const RgbColour second = FromQRgb(image.color(1));
    const RgbColour entry0 = PaletteRgb(palette[0]);
    const RgbColour entry1 = PaletteRgb(palette[1]);
    return (first == entry0 && second == entry1) || (first == entry1 && second == entry0);
}

LoadedPicture decode(QIODevice &device, const BitmapHeaders &headers, qint64 fileSize)
{
    LoadedPicture result;
    const PictureDataProblem problem = CheckPictureData(headers, fileSize);
    if (problem != PictureDataProblem::None) {
        result.error = DescribeProblem(problem);
        return result;
    }
    QImageReader reader(&device, "bmp");
    QImage image = reader.read();
    if (image.isNull()) {
        result.error = QStringLiteral("the picture cannot be decoded: %1").arg(reader.errorString());
        return result;
    }
    if (image.width() != headers.biWidth || image.height() != headers.biHeight) {
        result.error = QStringLiteral("the picture decodes to %1 x %2 pixels, not the %3 x %4 of its header")
                           .arg(image.width()).arg(image.height())
                           .arg(headers.biWidth).arg(headers.biHeight);
        return result;
    }
    if (!coloursMatchPalette(device, image)) {
        result.error = QStringLiteral("the picture decodes with colours other than its palette's");
        return result;
    }
    result.image = std::move(image);
    return result;
}

} // namespace

LoadedPicture LoadPicture(const QString &path, const BitmapHeaders &headers)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LoadedPicture result;
        result.error = file.errorString();
        return result;
    }
    return decode(file, headers, file.size());
}

LoadedPicture LoadPictureData(const QByteArray &bytes, const BitmapHeaders &headers)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(buffer, headers, bytes.size());
}

ImagePixelSource::ImagePixelSource(const QImage &image)
    : m_image(image.convertToFormat(QImage::Format_RGB32))
{
}

RgbColour ImagePixelSource::pixelColour(int x, int y) const
{
    if (!m_image.valid(x, y))
        return 0;
    return FromQRgb(m_image.pixel(x, y));
}

void ImagePixelSource::rowColours(int x, int y, int count, RgbColour *out) const
{
    if (y < 0 || y >= m_image.height() || x < 0 || x + count > m_image.width()) {
        PixelSource::rowColours(x, y, count, out);
        return;
    }
    const auto *line = reinterpret_cast<const QRgb *>(m_image.constScanLine(y)) + x;
    int i = 0;
#if defined(__SSE2__)
    // FromQRgb on four pixels at once: red down to the low byte, green kept,
    // blue up to the third, alpha dropped. Compilers do not vectorise the
    // plain loop at -O2, and this is most of what a conversion costs there.
    const __m128i lowByte = _mm_set1_epi32(0xFF);
    const __m128i secondByte = _mm_set1_epi32(0xFF00);
    for (; i + 4 <= count; i += 4) {
        const __m128i argb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + i));
        const __m128i red = _mm_and_si128(_mm_srli_epi32(argb, 16), lowByte);
        const __m128i green = _mm_and_si128(argb, secondByte);
        const __m128i blue = _mm_slli_epi32(_mm_and_si128(argb, lowByte), 16);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                         _mm_or_si128(_mm_or_si128(red, green), blue));
    }
#endif
    for (; i < count; ++i)
        out[i] = FromQRgb(line[i]);
}
