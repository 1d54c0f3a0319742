#include "gifframes.h"

#include "gifsource.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

struct Closer
{
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using Gif = std::unique_ptr<GifFileType, Closer>;

// What a graphics control extension says of the frame after it.
struct Control
{
    int disposal = 0;     // none given: left as it is
    int delay = 0;        // hundredths of a second
    int transparent = -1; // the transparent colour index, -1 for none
};

// One walk through the file, record by record: with decode, each frame is
// decoded and drawn on canvas and handed to sink; without, its data is only
// read, and frames counts them. The reason when the walk stops short.
class Walk
{
public:
    Walk(const QByteArray &bytes, int b) : m_source{bytes}, m_b(b) {}

    QString run(bool decode, const FrameSink &sink)
    {
        int error = D_GIF_SUCCEEDED;
        m_source.at = 0;
        const Gif gif(DGifOpen(&m_source, ReadGifSource, &error));
        if (!gif)
            return GifFailure(error);
        GreyPicture canvas;
        if (!BeginGreys(canvas, gif->SWidth, gif->SHeight))
            return canvas.error;
        if (decode)
            canvas.greys.assign(std::size_t(canvas.width) * std::size_t(canvas.height), std::uint8_t(m_b));
        Control control;
        frames = 0;
        for (GifRecordType type = UNDEFINED_RECORD_TYPE; type != TERMINATE_RECORD_TYPE;) {
            const QString where = QStringLiteral("frame %1: ").arg(frames + 1);
            if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
                return where + GifFailure(gif->Error);
            if (type == EXTENSION_RECORD_TYPE) {
                int code = 0;
                GifByteType *extension = nullptr;
                if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR)
                    return where + GifFailure(gif->Error);
                GraphicsControlBlock block;
                if (code == GRAPHICS_EXT_FUNC_CODE && extension
                    && DGifExtensionToGCB(extension[0], extension + 1, &block) == GIF_OK)
                    control = {block.DisposalMode, block.DelayTime, block.TransparentColor};
                while (extension)
                    if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR)
                        return where + GifFailure(gif->Error);
            } else if (type == IMAGE_DESC_RECORD_TYPE) {
                if (++frames > MaxFrames)
                    return Undecodable(QStringLiteral("it has more than %1 frames, the most an animation may have").arg(MaxFrames));
                if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
                    return where + GifFailure(gif->Error);
                const GifImageDesc &frame = gif->Image;
                if (qint64(frame.Width) * frame.Height > MaxPicturePixels)
                    return where + Undecodable(QStringLiteral("it is %1 x %2 pixels; the most a frame may have is %3")
                                                   .arg(frame.Width).arg(frame.Height).arg(MaxPicturePixels));
                const QString failed = decode ? draw(*gif, control, canvas, sink) : skip(*gif);
                if (!failed.isEmpty())
                    return where + failed;
                control = {};
            }
        }
        return frames == 0 ? Undecodable(QStringLiteral("the file holds no image")) : QString();
    }

    int frames = 0;

private:
    static QString skip(GifFileType &gif)
    {
        int size = 0;
        GifByteType *block = nullptr;
        if (DGifGetCode(&gif, &size, &block) == GIF_ERROR)
            return GifFailure(gif.Error);
        while (block)
            if (DGifGetCodeNext(&gif, &block) == GIF_ERROR)
                return GifFailure(gif.Error);
        return {};
    }

    // Draws the frame whose descriptor was just read, hands the screen to
    // sink, then disposes of the frame.
    QString draw(GifFileType &gif, const Control &control, GreyPicture &canvas, const FrameSink &sink)
    {
        const GifImageDesc frame = gif.Image;
        const ColorMapObject *colours = frame.ColorMap ? frame.ColorMap : gif.SColorMap;
        std::array<std::uint8_t, 256> greys;
        for (int index = 0; index < 256; ++index) {
            const GifColorType *c = colours && index < colours->ColorCount ? &colours->Colors[index] : nullptr;
            greys[std::size_t(index)] = c ? GreyOver(c->Red, c->Green, c->Blue, 255, m_b) : GreyOver(0, 0, 0, 255, m_b);
        }
        if (control.disposal == DISPOSE_PREVIOUS)
            m_saved = canvas.greys;
        const std::size_t width = std::size_t(canvas.width);
        std::vector<GifByteType> line(std::size_t(std::max(frame.Width, 0)));
        if (frame.Width < 1 || frame.Height < 1) {
            if (const QString failed = skip(gif); !failed.isEmpty())
                return failed;
        }
        for (int n = 0; frame.Width > 0 && n < frame.Height; ++n) {
            if (DGifGetLine(&gif, line.data(), frame.Width) == GIF_ERROR)
                return GifFailure(gif.Error);
            const int y = frame.Top + (frame.Interlace ? InterlacedRow(n, frame.Height) : n);
            for (int x = 0; y < canvas.height && x < frame.Width && frame.Left + x < canvas.width; ++x)
                if (line[std::size_t(x)] != control.transparent)
                    canvas.greys[std::size_t(y) * width + std::size_t(frame.Left + x)] = greys[line[std::size_t(x)]];
        }
        sink(canvas, static_cast<unsigned long>(control.delay) * 10);
        if (control.disposal == DISPOSE_BACKGROUND)
            for (int y = frame.Top; y < std::min(canvas.height, frame.Top + frame.Height); ++y)
                for (int x = frame.Left; x < std::min(canvas.width, frame.Left + frame.Width); ++x)
                    canvas.greys[std::size_t(y) * width + std::size_t(x)] = std::uint8_t(m_b);
        else if (control.disposal == DISPOSE_PREVIOUS)
            canvas.greys.swap(m_saved);
        return {};
    }

    GifSource m_source;
    int m_b;
    std::vector<std::uint8_t> m_saved; // the screen before a frame of disposal 3
};

} // namespace

QString DecodeGifFrames(const QByteArray &bytes, int b, const FrameSink &sink)
{
    Walk walk(bytes, b);
    const QString error = walk.run(false, sink);
    return error.isEmpty() ? walk.run(true, sink) : error;
}
