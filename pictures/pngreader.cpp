// PNG through libpng, read from the file as it decodes and row by row (an
// interlaced one whole, as its passes need): a cut file, a bad checksum or
// short image data is an error there.

#include "picturereaders.h"

#include <csetjmp>

#include <png.h>

namespace {

struct PngSource
{
    PictureInput &input;
    QString reason;
};

[[noreturn]] void Stop(png_structp png, png_const_charp message)
{
    auto *source = static_cast<PngSource *>(png_get_error_ptr(png));
    if (source->reason.isEmpty())
        source->reason = Undecodable(QString::fromLatin1(message));
    png_longjmp(png, 1);
}

void Ignore(png_structp, png_const_charp) {}

void Read(png_structp png, png_bytep data, std::size_t length)
{
    auto *source = static_cast<PngSource *>(png_get_io_ptr(png));
    if (source->input.read(reinterpret_cast<char *>(data), qint64(length)) != qint64(length)) {
        source->reason = IncompleteData();
        png_error(png, "incomplete");
    }
}

// A 16-bit sample to 8 bits rounded as Qt converts it: x * 255 / 65535,
// halves up (checked against Qt for every value).
int Sample(png_const_bytep row, std::size_t at, int bytes)
{
    if (bytes == 1)
        return row[at];
    const int x = (row[2 * at] << 8) | row[2 * at + 1];
    return (x * 255 + 32895) >> 16;
}

// The decoding proper, with the jump back set here: what it fills lives in
// the caller; source.reason says why it stopped, if it did.
void ReadRows(png_structp png, png_infop info, PngSource &source, GreyRows &out, int b, std::vector<png_byte> &rows,
              std::vector<std::uint8_t> &greys)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return;
    png_set_read_fn(png, &source, Read);
    // The converter's limit is the one that holds, not libpng's million a side.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    source.reason = PixelLimitError(width, height);
    if (!source.reason.isEmpty())
        return;
    // Every kind of PNG as RGBA of 8 or 16 bits: palettes, low depths and
    // the transparent colour expanded, grey spread to three channels.
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xffff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int bytes = png_get_bit_depth(png, info) == 16 ? 2 : 1;
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    // One row, or all of them when the passes fill each in turn.
    const bool whole = passes > 1;
    rows.resize(rowBytes * (whole ? std::size_t(height) : 1));
    for (int pass = 0; whole && pass < passes; ++pass)
        for (std::size_t y = 0; y < height; ++y)
            png_read_row(png, &rows[y * rowBytes], nullptr);
    greys.resize(width);
    out.begin({int(width), int(height)}, {});
    for (std::size_t y = 0; y < height; ++y) {
        if (!whole)
            png_read_row(png, rows.data(), nullptr);
        const png_byte *row = &rows[whole ? y * rowBytes : 0];
        for (std::size_t x = 0; x < width; ++x)
            greys[x] = GreyOver(Sample(row, 4 * x, bytes), Sample(row, 4 * x + 1, bytes), Sample(row, 4 * x + 2, bytes),
                                Sample(row, 4 * x + 3, bytes), b);
        out.add(greys.data());
    }
    png_read_end(png, nullptr);
}

} // namespace

QString DecodePng(PictureInput &input, int b, GreyRows &out)
{
    std::vector<png_byte> rows;
    std::vector<std::uint8_t> greys;
    PngSource source{input};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, Stop, Ignore);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
        source.reason = Undecodable(QStringLiteral("out of memory"));
    else
        ReadRows(png, info, source, out, b, rows, greys);
    png_destroy_read_struct(&png, &info, nullptr);
    return source.reason;
}
