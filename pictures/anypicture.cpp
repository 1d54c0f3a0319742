#include "anypicture.h"

#include "bitmapfile.h"
#include "picturereaders.h"

#include <QImageReader>

#include <utility>

namespace {

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

GreyPicture DecodeAnyPicture(QIODevice &device, QByteArray bytes, const Preparation &how, DotSize module, Turn turn)
{
    GreyPicture picture;
    picture.error = ReadPictureFile(device, bytes);
    if (!picture.ok())
        return picture;
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
