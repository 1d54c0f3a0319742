#include "pictureframes.h"

#include "anypicture.h"
#include "gifframes.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <utility>

namespace {

// An animated WebP's frames as Qt's reader composites them, each with the
// delay it gives.
QString DecodeWebpFrames(QImageReader &reader, int b, const FrameSink &sink)
{
    if (reader.imageCount() > MaxFrames)
        return Undecodable(QStringLiteral("it has more than %1 frames, the most an animation may have").arg(MaxFrames));
    GreyPicture frame;
    if (!BeginGreys(frame, reader.size().width(), reader.size().height()))
        return frame.error;
    for (int index = 0; index < reader.imageCount(); ++index) {
        const QImage image = reader.read().convertToFormat(QImage::Format_RGBA8888);
        if (image.isNull())
            return QStringLiteral("frame %1: ").arg(index + 1) + Undecodable(reader.errorString());
        frame.greys.clear();
        if (!BeginGreys(frame, image.width(), image.height()))
            return frame.error;
        for (int y = 0; y < image.height(); ++y)
            for (const std::uint8_t *p = image.constScanLine(y), *end = p + 4 * image.width(); p < end; p += 4)
                frame.greys.push_back(GreyOver(p[0], p[1], p[2], p[3], b));
        sink(frame, static_cast<unsigned long>(std::max(reader.nextImageDelay(), 0)));
    }
    return {};
}

} // namespace

QString DecodeFrames(const QByteArray &bytes, const Preparation &how, DotSize module, Turn turn, const FrameSink &sink)
{
    const int b = BackgroundGrey(how.background);
    if (bytes.startsWith("GIF8"))
        return DecodeGifFrames(bytes, b, sink);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (reader.format() == "webp" && reader.imageCount() > 1)
        return DecodeWebpFrames(reader, b, sink);
    QBuffer rest;
    rest.open(QIODevice::ReadOnly);
    GreyPicture picture = DecodeAnyPicture(rest, bytes, how, module, turn);
    if (!picture.ok())
        return picture.error;
    sink(std::move(picture), std::nullopt);
    return {};
}
