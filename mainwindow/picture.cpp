#include "picture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace {

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
    for (int i = 0; i < count; ++i)
        out[i] = FromQRgb(line[i]);
}
