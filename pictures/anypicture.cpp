#include "anypicture.h"

#include "bitmapfile.h"
#include "picturereaders.h"

#include <QFileDevice>
#include <QImageReader>

#include <utility>

namespace {

// The whole input, for the readers that take it whole: a regular file mapped
// (its pages read as the reader touches them), a pipe or standard input read
// into memory up to MaxHeldBytes. mapped is what to unmap.
QString WholeInput(QIODevice &device, const QByteArray &head, QByteArray &bytes, uchar *&mapped)
{
    auto *file = qobject_cast<QFileDevice *>(&device);
    if (file && !file->isSequential() && file->size() > 0 && (mapped = file->map(0, file->size()))) {
        bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), file->size());
        return {};
    }
    bytes = head;
    return ReadHeldInput(device, bytes, QStringLiteral("read from a pipe, a picture in this format"));
}

// Decodes the input into rows: JPEG, PNG and GIF as they are read, the
// others from the whole input.
QString Decode(QIODevice &device, const QByteArray &head, const Preparation &how, DotSize module, Turn turn,
               GreyRows &rows)
{
    const int b = BackgroundGrey(how.background);
    PictureInput input(device, head);
    QString error;
    if (head.startsWith("\xFF\xD8\xFF"))
        error = DecodeJpeg(input, b, rows);
    else if (head.startsWith("\x89PNG\r\n\x1A\n"))
        error = DecodePng(input, b, rows);
    else if (head.startsWith("GIF8"))
        error = DecodeGif(input, b, rows);
    else {
        QByteArray bytes;
        uchar *mapped = nullptr;
        error = WholeInput(device, head, bytes, mapped);
        if (!error.isEmpty())
            return error;
        WatchedBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);
        GreyPicture picture;
        if (!(bytes.size() > 2 && bytes[0] == 'P' && QByteArrayView("1456").contains(bytes[1])
              && DecodeNetpbm(bytes, b, picture)))
            picture = DecodeWithQt(reader, bytes, how, module, turn, b);
        // Qt's reader reads the orientation (EXIF) of the formats that have one.
        if (picture.ok())
            rows.take(std::move(picture.greys), {picture.width, picture.height}, TurnOf(reader.transformation()));
        error = picture.error;
        if (mapped)
            static_cast<QFileDevice &>(device).unmap(mapped);
    }
    return input.error().isEmpty() || error.isEmpty() ? error : QStringLiteral("cannot read: ") + input.error();
}

} // namespace

PreparedPicture PrepareAnyPicture(QIODevice &device, const QByteArray &bytes, const Preparation &how, DotSize module,
                                  Turn turn)
{
    GreyRows rows(how, module, turn);
    PreparedPicture picture{Decode(device, bytes, how, module, turn, rows)};
    if (picture.ok())
        picture.prepared = rows.prepared();
    return picture;
}

GreyPicture DecodeAnyPicture(QIODevice &device, const QByteArray &bytes, const Preparation &how, DotSize module,
                             Turn turn)
{
    GreyRows rows(how, module, turn, true);
    const QString error = Decode(device, bytes, how, module, turn, rows);
    GreyPicture picture = error.isEmpty() ? rows.picture() : GreyPicture{};
    picture.error = error;
    return picture;
}
