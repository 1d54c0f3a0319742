#include "anypicture.h"

#include "bitmapfile.h"
#include "picturereaders.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cctype>

namespace {

// Qt's readers must not refuse what the pixel limit lets through: the most
// bytes a pixel takes in the formats they decode into is 16.
constexpr int QtAllocationMegabytes = int((MaxPicturePixels * 16) >> 20);

// A plain PBM (P1): after the header, one digit a pixel, 1 black, with or
// without white space or comments between them, as netpbm writes them.
GreyPicture DecodePlainPbm(const QByteArray &bytes)
{
    GreyPicture picture;
    qsizetype at = 2;
    const auto skip = [&] {
        while (at < bytes.size() && (std::isspace(std::uint8_t(bytes[at])) || bytes[at] == '#'))
            if (bytes[at++] == '#')
                while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                    ++at;
    };
    qint64 sides[2] = {0, 0};
    for (qint64 &side : sides) {
        skip();
        const qsizetype start = at;
        while (at < bytes.size() && std::isdigit(std::uint8_t(bytes[at])) && side <= MaxPicturePixels)
            side = side * 10 + (bytes[at++] - '0');
        if (at == start) {
            picture.error = Undecodable(QStringLiteral("the PBM header is not complete"));
            return picture;
        }
    }
    if (!BeginGreys(picture, sides[0], sides[1]))
        return picture;
    const std::size_t count = std::size_t(sides[0] * sides[1]);
    for (skip(); picture.greys.size() < count && at < bytes.size(); skip()) {
        if (bytes[at] != '0' && bytes[at] != '1') {
            picture.error = Undecodable(QStringLiteral("'%1' in the pixels of a plain PBM").arg(QChar(bytes[at])));
            return picture;
        }
        picture.greys.push_back(bytes[at++] == '1' ? 0 : 255);
    }
    if (picture.greys.size() < count)
        picture.error = IncompleteData();
    return picture;
}

// Through Qt's readers: the largest image of an ICO or CUR, an SVG drawn at
// the size it is fitted to. A reader that leaves some of the picture out
// says so as an error or, for BMP and PNM, only as a warning, caught here.
GreyPicture DecodeWithQt(QImageReader &reader, const Preparation &how, int b)
{
    GreyPicture picture;
    QSize size = reader.size();
    const bool icon = reader.format() == "ico" || reader.format() == "cur";
    int largest = 0;
    for (int image = 1; icon && image < reader.imageCount() && reader.jumpToImage(image); ++image)
        if (qint64(reader.size().width()) * reader.size().height() > qint64(size.width()) * size.height()) {
            size = reader.size();
            largest = image;
        }
    if (icon)
        reader.jumpToImage(largest);
    if (reader.format() == "svg") {
        const Placement place = PlaceOnLcd(size.width(), size.height(), how.fit);
        size = QSize(place.width, place.height);
        reader.setScaledSize(size);
    }
    if (size.isValid() && !BeginGreys(picture, size.width(), size.height()))
        return picture;
    QImageReader::setAllocationLimit(QtAllocationMegabytes);
    const QImage image = reader.read();
    if (image.isNull()) {
        picture.error = Undecodable(reader.errorString());
        return picture;
    }
    if (!BeginGreys(picture, image.width(), image.height()))
        return picture;
    // A band of rows at a time in straight RGBA, not a second whole copy.
    constexpr int Band = 64;
    for (int top = 0; top < image.height(); top += Band) {
        const QImage band = image.copy(0, top, image.width(), std::min(Band, image.height() - top))
                                .convertToFormat(QImage::Format_RGBA8888);
        for (int y = 0; y < band.height(); ++y)
            for (const std::uint8_t *p = band.constScanLine(y), *end = p + 4 * band.width(); p < end; p += 4)
                picture.greys.push_back(GreyOver(p[0], p[1], p[2], p[3], b));
    }
    return picture;
}

// The greys as Qt's transformation says: mirrored, flipped, then turned a
// quarter clockwise. A transformation of the greys is the greys of the
// transformed picture.
void Orient(GreyPicture &picture, QImageIOHandler::Transformations transformation)
{
    if (transformation == QImageIOHandler::TransformationNone || !picture.ok())
        return;
    const int w = picture.width, h = picture.height;
    const bool turn = transformation & QImageIOHandler::TransformationRotate90;
    const int outWidth = turn ? h : w, outHeight = turn ? w : h;
    std::vector<std::uint8_t> turned(picture.greys.size());
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            int sx = turn ? y : x, sy = turn ? h - 1 - x : y;
            if (transformation & QImageIOHandler::TransformationMirror)
                sx = w - 1 - sx;
            if (transformation & QImageIOHandler::TransformationFlip)
                sy = h - 1 - sy;
            turned[std::size_t(y) * outWidth + x] = picture.greys[std::size_t(sy) * w + sx];
        }
    }
    picture.greys = std::move(turned);
    picture.width = outWidth;
    picture.height = outHeight;
}

} // namespace

bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height)
{
    if (width < 1 || height < 1 || width * height > MaxPicturePixels) {
        picture.error = Undecodable(QStringLiteral("it is %1 x %2 pixels; the most a picture may have is %3 (8192 x 8192)")
                                        .arg(width).arg(height).arg(MaxPicturePixels));
        return false;
    }
    picture.width = int(width);
    picture.height = int(height);
    picture.greys.reserve(std::size_t(width * height));
    return true;
}

QString IncompleteData()
{
    return QStringLiteral("the picture data is incomplete");
}

QString Undecodable(const QString &reason)
{
    return QStringLiteral("the picture cannot be decoded: ") + reason;
}

GreyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes, const Preparation &how)
{
    GreyPicture picture;
    if (!ReadUpTo(device, bytes, MaxPictureFileBytes + 1, picture.error)) {
        picture.error = QStringLiteral("cannot read: ") + picture.error;
        return picture;
    }
    if (bytes.size() > MaxPictureFileBytes) {
        picture.error = QStringLiteral("the picture is larger than %1 MiB").arg(MaxPictureFileBytes >> 20);
        return picture;
    }
    const int b = BackgroundGrey(how.background);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    if (bytes.startsWith("\xFF\xD8\xFF"))
        picture = DecodeJpeg(bytes, b);
    else if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        picture = DecodePng(bytes, b);
    else if (bytes.startsWith("GIF8"))
        picture = DecodeGif(bytes, b);
    else if (bytes.startsWith("P1"))
        picture = DecodePlainPbm(bytes);
    else
        picture = DecodeWithQt(reader, how, b);
    // Qt's reader reads the orientation (EXIF) of the formats that have one.
    Orient(picture, reader.transformation());
    return picture;
}
