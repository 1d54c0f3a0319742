#include "anypicture.h"

#include "bitmapfile.h"
#include "picturereaders.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

// Qt's readers must not refuse what the pixel limit lets through: the most
// bytes a pixel takes in the formats they decode into is 16.
constexpr int QtAllocationMegabytes = int((MaxPicturePixels * 16) >> 20);

// PBM (plain P1 or raw P4), and raw PGM and PPM (P5, P6) of 8 bits, read
// here: Qt's reader takes no side of 32768 or more, nor P1 digits written
// without spaces between them, as netpbm writes them. Other PGM and PPM are
// left to Qt (false). In P1, 1 is black; between its digits white space and
// comments may stand or not.
bool DecodeNetpbm(const QByteArray &bytes, int b, GreyPicture &picture)
{
    const char kind = bytes.size() > 1 ? bytes[1] : 0;
    qsizetype at = 2;
    const auto skip = [&] {
        while (at < bytes.size() && (std::isspace(std::uint8_t(bytes[at])) || bytes[at] == '#'))
            if (bytes[at++] == '#')
                while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                    ++at;
    };
    qint64 fields[3] = {0, 0, 255}; // width, height, the largest value
    for (int f = 0; f < (kind == '1' || kind == '4' ? 2 : 3); ++f) {
        skip();
        const qsizetype start = at;
        for (fields[f] = 0; at < bytes.size() && std::isdigit(std::uint8_t(bytes[at])) && fields[f] <= MaxPicturePixels; ++at)
            fields[f] = fields[f] * 10 + (bytes[at] - '0');
        if (at == start) {
            picture.error = Undecodable(QStringLiteral("the header is not complete"));
            return true;
        }
    }
    if (fields[2] != 255)
        return false;
    if (!BeginGreys(picture, fields[0], fields[1]))
        return true;
    const std::size_t width = std::size_t(fields[0]), count = width * std::size_t(fields[1]);
    if (kind == '1') {
        for (skip(); picture.greys.size() < count && at < bytes.size(); skip()) {
            if (bytes[at] != '0' && bytes[at] != '1') {
                picture.error = Undecodable(QStringLiteral("'%1' among the pixels").arg(QChar(bytes[at])));
                return true;
            }
            picture.greys.push_back(bytes[at++] == '1' ? 0 : 255);
        }
    } else {
        // One white space character after the header, then the rows.
        const auto *raster = reinterpret_cast<const std::uint8_t *>(bytes.constData()) + ++at;
        const std::size_t rowBytes = kind == '4' ? (width + 7) / 8 : kind == '5' ? width : 3 * width;
        if (qint64(rowBytes) * fields[1] > bytes.size() - at) {
            picture.error = IncompleteData();
            return true;
        }
        for (const std::uint8_t *row = raster; picture.greys.size() < count; row += rowBytes)
            for (std::size_t x = 0; x < width; ++x)
                picture.greys.push_back(kind == '4' ? (row[x / 8] >> (7 - x % 8) & 1 ? 0 : 255)
                                        : kind == '5' ? row[x] : GreyOver(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255, b));
    }
    if (picture.greys.size() < count)
        picture.error = IncompleteData();
    return true;
}

// The little-endian field of size bytes at offset, 0 past the end.
qint64 Field(const QByteArray &bytes, qsizetype offset, int size)
{
    if (offset < 0 || offset + size > bytes.size())
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + offset);
    return size == 2 ? qFromLittleEndian<quint16>(p) : size == 4 ? qint64(qFromLittleEndian<quint32>(p)) : p[0];
}

// Whether a BMP holds all the pixel data its header declares: every row of
// an uncompressed one, an RLE stream up to its end-of-bitmap code.
bool BmpComplete(const QByteArray &bytes)
{
    const bool core = Field(bytes, 14, 4) == 12; // the OS/2 header, 16-bit sides
    const qint64 width = core ? Field(bytes, 18, 2) : qint32(Field(bytes, 18, 4));
    const qint64 height = core ? Field(bytes, 20, 2) : std::abs(qint32(Field(bytes, 22, 4)));
    const qint64 bits = Field(bytes, core ? 24 : 28, 2), compression = core ? 0 : Field(bytes, 30, 4);
    qint64 at = Field(bytes, 10, 4);
    if (compression == 0 || compression == 3 || compression == 6)
        return at + (width * bits + 31) / 32 * 4 * height <= bytes.size();
    if (compression != 1 && compression != 2)
        return true; // left to Qt's reader
    // RLE8 and RLE4: pairs of count and value; a count of 0 escapes: 0 ends
    // a row, 1 the bitmap, 2 moves by two more bytes, more is a literal run.
    while (at + 2 <= bytes.size()) {
        const qint64 count = Field(bytes, at, 1), value = Field(bytes, at + 1, 1);
        at += 2;
        if (count == 0 && value == 1)
            return true;
        if (count == 0 && value >= 2)
            at += value == 2 ? 2 : ((compression == 1 ? value : (value + 1) / 2) + 1) / 2 * 2;
    }
    return false;
}

// Whether every image an ICO or CUR lists lies within the file.
bool IconComplete(const QByteArray &bytes)
{
    for (qint64 entry = 0; entry < Field(bytes, 4, 2); ++entry) {
        const qsizetype at = 6 + 16 * qsizetype(entry);
        if (at + 16 > bytes.size() || Field(bytes, at + 12, 4) + Field(bytes, at + 8, 4) > bytes.size())
            return false;
    }
    return true;
}

// A buffer that notes a reader's seek past its end: a reader that meets a
// cut file that way may still return a picture.
class WatchedBuffer : public QBuffer
{
public:
    using QBuffer::QBuffer;
    bool pastEnd = false;
    bool seek(qint64 pos) override
    {
        pastEnd = pastEnd || pos > size();
        return QBuffer::seek(pos);
    }
};

// Through Qt's readers: the largest image of an ICO or CUR, an SVG drawn at
// the size it is fitted to. Qt's BMP, ICO and XBM readers return what there
// is of a cut file, so their data is measured here first; a reader that had
// to seek past the end (TIFF) has met a cut file too.
GreyPicture DecodeWithQt(QImageReader &reader, const QByteArray &bytes, const Preparation &how, DotSize module,
                         Turn turn, int b)
{
    GreyPicture picture;
    const QByteArray format = reader.format();
    const bool complete = format == "bmp" ? BmpComplete(bytes)
                        : format == "ico" || format == "cur" ? IconComplete(bytes)
                        : format == "xbm" ? bytes.indexOf('}', bytes.indexOf('{')) > 0 : true;
    if (!complete) {
        picture.error = IncompleteData();
        return picture;
    }
    QSize size = reader.size();
    const bool icon = format == "ico" || format == "cur";
    int largest = 0;
    for (int image = 1; icon && image < reader.imageCount() && reader.jumpToImage(image); ++image)
        if (qint64(reader.size().width()) * reader.size().height() > qint64(size.width()) * size.height()) {
            size = reader.size();
            largest = image;
        }
    if (icon)
        reader.jumpToImage(largest);
    if (format == "svg") {
        // The size it takes on the module once turned, turned back.
        const DotSize turned = TurnedSize({size.width(), size.height()}, turn);
        const Placement place = PlaceOnModule(turned.width, turned.height, how.fit, how.align, module);
        const DotSize drawn = TurnedSize({place.width, place.height}, turn);
        size = QSize(drawn.width, drawn.height);
        reader.setScaledSize(size);
    }
    if (size.isValid() && !BeginGreys(picture, size.width(), size.height()))
        return picture;
    QImageReader::setAllocationLimit(QtAllocationMegabytes);
    const QImage image = reader.read();
    if (image.isNull() || static_cast<WatchedBuffer *>(reader.device())->pastEnd) {
        picture.error = image.isNull() ? Undecodable(reader.errorString()) : IncompleteData();
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

// Qt's transformation (mirrored, flipped, then turned a quarter clockwise) as
// the one turn of the greys: a quarter turn after a mirror or a flip is the
// quarter turn with the other flip after it.
Turn TurnOf(QImageIOHandler::Transformations transformation)
{
    const bool mirror = transformation & QImageIOHandler::TransformationMirror;
    const bool flip = transformation & QImageIOHandler::TransformationFlip;
    if (!(transformation & QImageIOHandler::TransformationRotate90))
        return mirror && flip ? Turn{Rotation::Half, Flip::None}
                              : Turn{Rotation::None, mirror ? Flip::Horizontal : flip ? Flip::Vertical : Flip::None};
    return mirror && flip ? Turn{Rotation::ThreeQuarters, Flip::None}
                          : Turn{Rotation::Quarter, mirror ? Flip::Vertical : flip ? Flip::Horizontal : Flip::None};
}

} // namespace

bool BeginGreys(GreyPicture &picture, qint64 width, qint64 height)
{
    if (width < 1 || height < 1 || width * height > MaxPicturePixels || width > MaxPictureSide || height > MaxPictureSide) {
        picture.error = Undecodable(QStringLiteral("it is %1 x %2 pixels; the most a picture may have is %3 (8192 x 8192), "
                                                   "%4 on a side").arg(width).arg(height).arg(MaxPicturePixels).arg(MaxPictureSide));
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

GreyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes, const Preparation &how, DotSize module, Turn turn)
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
    WatchedBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    if (bytes.startsWith("\xFF\xD8\xFF"))
        picture = DecodeJpeg(bytes, b);
    else if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        picture = DecodePng(bytes, b);
    else if (bytes.startsWith("GIF8"))
        picture = DecodeGif(bytes, b);
    else if (!(bytes.size() > 2 && bytes[0] == 'P' && QByteArrayView("1456").contains(bytes[1]) && DecodeNetpbm(bytes, b, picture)))
        picture = DecodeWithQt(reader, bytes, how, module, turn, b);
    // Qt's reader reads the orientation (EXIF) of the formats that have one;
    // a transformation of the greys is the greys of the transformed picture.
    const Turn upright = TurnOf(reader.transformation());
    if (picture.ok() && !(upright == Turn{})) {
        picture.greys = TurnPlane(std::move(picture.greys), {picture.width, picture.height}, upright);
        const DotSize size = TurnedSize({picture.width, picture.height}, upright);
        picture.width = size.width;
        picture.height = size.height;
    }
    return picture;
}
