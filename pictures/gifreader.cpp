// GIF through giflib, its first frame row by row: a cut file or broken
// image data is an error there, where Qt's reader fills in what is missing.

#include "picturereaders.h"

#include "gifsource.h"

#include <algorithm>
#include <array>

namespace {

// The first frame laid on the logical screen as Qt's reader lays it: where it
// does not cover the screen, transparent when it has a transparent colour,
// else the screen's background colour, else black.
QString ReadFirstFrame(GifFileType &gif, GreyPicture &picture, int b)
{
    if (!BeginGreys(picture, gif.SWidth, gif.SHeight))
        return picture.error;
    int transparent = -1;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    while (type != IMAGE_DESC_RECORD_TYPE) {
        if (DGifGetRecordType(&gif, &type) == GIF_ERROR)
            return GifFailure(gif.Error);
        if (type == TERMINATE_RECORD_TYPE)
            return Undecodable(QStringLiteral("the file holds no image"));
        int code = 0;
        GifByteType *extension = nullptr;
        if (type == EXTENSION_RECORD_TYPE && DGifGetExtension(&gif, &code, &extension) == GIF_ERROR)
            return GifFailure(gif.Error);
        GraphicsControlBlock control;
        if (code == GRAPHICS_EXT_FUNC_CODE && extension && DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK)
            transparent = control.TransparentColor;
        while (extension)
            if (DGifGetExtensionNext(&gif, &extension) == GIF_ERROR)
                return GifFailure(gif.Error);
    }
    if (DGifGetImageDesc(&gif) == GIF_ERROR)
        return GifFailure(gif.Error);
    const GifImageDesc frame = gif.Image;
    const ColorMapObject *colours = frame.ColorMap ? frame.ColorMap : gif.SColorMap;
    const auto grey = [&](const ColorMapObject *map, int index) {
        const GifColorType *c = map && index < map->ColorCount ? &map->Colors[index] : nullptr;
        return index == transparent ? std::uint8_t(b) : c ? GreyOver(c->Red, c->Green, c->Blue, 255, b) : GreyOver(0, 0, 0, 255, b);
    };
    std::array<std::uint8_t, 256> greys;
    for (int index = 0; index < 256; ++index)
        greys[std::size_t(index)] = grey(colours, index);
    const std::uint8_t fill = transparent >= 0 ? std::uint8_t(b) : grey(gif.SColorMap, gif.SBackGroundColor);
    const std::size_t width = std::size_t(picture.width);
    std::vector<GifByteType> line(std::size_t(std::max(frame.Width, 0)));
    for (int n = 0; n < frame.Height; ++n) {
        if (DGifGetLine(&gif, line.data(), frame.Width) == GIF_ERROR)
            return GifFailure(gif.Error);
        const int y = frame.Top + (frame.Interlace ? InterlacedRow(n, frame.Height) : n);
        if (y >= picture.height)
            continue;
        picture.greys.resize(std::max(picture.greys.size(), (std::size_t(y) + 1) * width), fill);
        for (int x = 0; x < frame.Width && frame.Left + x < picture.width; ++x)
            picture.greys[std::size_t(y) * width + std::size_t(frame.Left + x)] = greys[line[std::size_t(x)]];
    }
    picture.greys.resize(width * std::size_t(picture.height), fill);
    return {};
}

} // namespace

GreyPicture DecodeGif(const QByteArray &bytes, int b)
{
    GreyPicture picture;
    GifSource source{bytes};
    int error = D_GIF_SUCCEEDED;
    GifFileType *gif = DGifOpen(&source, ReadGifSource, &error);
    if (!gif) {
        picture.error = GifFailure(error);
        return picture;
    }
    picture.error = ReadFirstFrame(*gif, picture, b);
    DGifCloseFile(gif, &error);
    return picture;
}
