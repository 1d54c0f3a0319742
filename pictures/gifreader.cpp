// GIF through giflib, read from the file as it decodes, its first frame row
// by row (an interlaced one whole): a cut file or broken image data is an
// error there, where Qt's reader fills in what is missing.

#include "picturereaders.h"

#include "gifsource.h"

#include <algorithm>
#include <array>

namespace {

int Read(GifFileType *gif, GifByteType *data, int length)
{
    return int(std::max<qint64>(0, static_cast<PictureInput *>(gif->UserData)->read(reinterpret_cast<char *>(data), length)));
}

// The first frame laid on the logical screen as Qt's reader lays it: where it
// does not cover the screen, transparent when it has a transparent colour,
// else the screen's background colour, else black.
QString ReadFirstFrame(GifFileType &gif, GreyRows &rows, int b)
{
    const QString limit = PixelLimitError(gif.SWidth, gif.SHeight);
    if (!limit.isEmpty())
        return limit;
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
    const int width = gif.SWidth, height = gif.SHeight;
    rows.begin({width, height}, {});
    // Rows streamed as they come, each laid over a row of the fill; an
    // interlaced frame's into a plane of the fill first.
    std::vector<std::uint8_t> plane(frame.Interlace ? std::size_t(width) * std::size_t(height) : 0, fill);
    std::vector<std::uint8_t> row(std::size_t(width), fill);
    int next = 0; // the next row streamed
    const auto streamTo = [&](int end) {
        std::fill(row.begin(), row.end(), fill);
        for (; next < std::min(end, height); ++next)
            rows.add(row.data());
    };
    if (!frame.Interlace)
        streamTo(frame.Top);
    std::vector<GifByteType> line(std::size_t(std::max(frame.Width, 0)));
    for (int n = 0; n < frame.Height; ++n) {
        if (DGifGetLine(&gif, line.data(), frame.Width) == GIF_ERROR)
            return GifFailure(gif.Error);
        const int y = frame.Top + (frame.Interlace ? InterlacedRow(n, frame.Height) : n);
        if (y >= height)
            continue;
        std::uint8_t *into = frame.Interlace ? &plane[std::size_t(y) * std::size_t(width)] : row.data();
        for (int x = 0; x < frame.Width && frame.Left + x < width; ++x)
            into[frame.Left + x] = greys[line[std::size_t(x)]];
        if (!frame.Interlace) {
            rows.add(row.data());
            ++next;
            std::fill(row.begin(), row.end(), fill);
        }
    }
    for (int y = 0; y < height && frame.Interlace; ++y)
        rows.add(&plane[std::size_t(y) * std::size_t(width)]);
    if (!frame.Interlace)
        streamTo(height);
    return {};
}

} // namespace

QString DecodeGif(PictureInput &input, int b, GreyRows &rows)
{
    int error = D_GIF_SUCCEEDED;
    GifFileType *gif = DGifOpen(&input, Read, &error);
    if (!gif)
        return GifFailure(error);
    const QString failure = ReadFirstFrame(*gif, rows, b);
    DGifCloseFile(gif, &error);
    return failure;
}
