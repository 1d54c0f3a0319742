// Every format not read by a library of its own, through Qt's image readers
// and plugins (BMP, other PGM/PPM, XBM, XPM, ICO, TIFF, WebP, SVG). Qt's BMP,
// ICO and XBM readers return what there is of a cut file, so their data is
// measured here first; a reader that had to seek past the end (TIFF) has met
// a cut file too.

#include "picturereaders.h"

#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace {

// Qt's readers must not refuse what the pixel limit lets through: the most
// bytes a pixel takes in the formats they decode into is 16.
constexpr int QtAllocationMegabytes = int((MaxPicturePixels * 16) >> 20);

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

} // namespace

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
