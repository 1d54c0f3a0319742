// PNG through libpng, row by row (an interlaced one whole, as its passes
// need): a cut file, a bad checksum or short image data is an error there.

#include "picturereaders.h"

#include <csetjmp>

#include <png.h>

namespace {

struct PngSource
{
    const QByteArray &bytes;
    qsizetype at = 0;
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
    if (qsizetype(length) > source->bytes.size() - source->at) {
        source->reason = IncompleteData();
        png_error(png, "incomplete");
    }
    std::copy_n(source->bytes.constData() + source->at, length, data);
    source->at += qsizetype(length);
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
// the caller. False when libpng stopped it.
bool ReadRows(png_structp png, png_infop info, PngSource &source, GreyPicture &picture, int b, std::vector<png_byte> &rows)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    png_set_read_fn(png, &source, Read);
    // The converter's limit is the one that holds, not libpng's million a side.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    if (!BeginGreys(picture, png_get_image_width(png, info), png_get_image_height(png, info)))
        return true;
    // Every kind of PNG as RGBA of 8 or 16 bits: palettes, low depths and
    // the transparent colour expanded, grey spread to three channels.
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xffff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int bytes = png_get_bit_depth(png, info) == 16 ? 2 : 1;
    const std::size_t width = picture.width, rowBytes = png_get_rowbytes(png, info);
    // One row, or all of them when the passes fill each in turn.
    const bool whole = passes > 1;
    rows.resize(rowBytes * (whole ? std::size_t(picture.height) : 1));
    for (int pass = 0; whole && pass < passes; ++pass)
        for (std::size_t y = 0; y < std::size_t(picture.height); ++y)
            png_read_row(png, &rows[y * rowBytes], nullptr);
    for (std::size_t y = 0; y < std::size_t(picture.height); ++y) {
        if (!whole)
            png_read_row(png, rows.data(), nullptr);
        const png_byte *row = &rows[whole ? y * rowBytes : 0];
        for (std::size_t x = 0; x < width; ++x)
            picture.greys.push_back(GreyOver(Sample(row, 4 * x, bytes), Sample(row, 4 * x + 1, bytes),
                                             Sample(row, 4 * x + 2, bytes), Sample(row, 4 * x + 3, bytes), b));
    }
    png_read_end(png, nullptr);
    return true;
}

} // namespace

GreyPicture DecodePng(const QByteArray &bytes, int b)
{
    GreyPicture picture;
    std::vector<png_byte> rows;
    PngSource source{bytes};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, Stop, Ignore);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
        picture.error = Undecodable(QStringLiteral("out of memory"));
    else if (!ReadRows(png, info, source, picture, b, rows))
        picture.error = source.reason;
    png_destroy_read_struct(&png, &info, nullptr);
    return picture;
}
