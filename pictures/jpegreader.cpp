// JPEG through libjpeg-turbo, row by row: any warning about the data (a cut
// file, a corrupt one) ends the decoding at once as a failure, where Qt's
// reader would carry on and fill the rest.

#include "picturereaders.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace {

struct JpegErrors
{
    jpeg_error_mgr manager; // first, so that the library's pointer is ours too
    std::jmp_buf jump;
    QString reason;
};

[[noreturn]] void Stop(j_common_ptr info)
{
    auto *errors = reinterpret_cast<JpegErrors *>(info->err);
    char text[JMSG_LENGTH_MAX];
    errors->manager.format_message(info, text);
    errors->reason = errors->manager.msg_code == JWRN_JPEG_EOF || errors->manager.msg_code == JERR_INPUT_EOF
                         ? IncompleteData() : Undecodable(QString::fromLatin1(text));
    std::longjmp(errors->jump, 1);
}

// Level -1 is a warning: all but those about the file's markers mean the
// data is damaged. Trace messages (levels above 0) are not shown.
void Warn(j_common_ptr info, int level)
{
    const int code = info->err->msg_code;
    if (level < 0 && code != JWRN_JFIF_MAJOR && code != JWRN_ADOBE_XFORM && code != JWRN_BOGUS_ICC)
        Stop(info);
}

// The decoding proper, with the jump back set here: nothing here owns memory
// that a jump out of the library would leak, and what it fills lives in the
// caller. False when the library stopped it.
bool ReadRows(jpeg_decompress_struct &info, JpegErrors &errors, const QByteArray &bytes, GreyPicture &picture,
              int b, std::vector<JSAMPLE> &row)
{
    if (setjmp(errors.jump) != 0)
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    jpeg_read_header(&info, TRUE);
    if (!BeginGreys(picture, info.image_width, info.image_height))
        return true;
    // Colour as Qt's reader takes it: grey, RGB, or CMYK stored inverted
    // (as Adobe writes it) with each colour scaled by K.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    const int channels = info.output_components;
    row.resize(std::size_t(info.output_width) * channels);
    JSAMPROW rows[] = {row.data()};
    while (info.output_scanline < info.output_height) {
        jpeg_read_scanlines(&info, rows, 1);
        for (std::size_t p = 0; p < row.size(); p += channels) {
            const JSAMPLE *s = &row[p];
            picture.greys.push_back(channels == 1 ? GreyOver(s[0], s[0], s[0], 255, b)
                                    : channels == 3 ? GreyOver(s[0], s[1], s[2], 255, b)
                                    : GreyOver(s[3] * s[0] / 255, s[3] * s[1] / 255, s[3] * s[2] / 255, 255, b));
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

GreyPicture DecodeJpeg(const QByteArray &bytes, int b)
{
    GreyPicture picture;
    std::vector<JSAMPLE> row;
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = Stop;
    errors.manager.emit_message = Warn;
    if (!ReadRows(info, errors, bytes, picture, b, row))
        picture.error = errors.reason;
    jpeg_destroy_decompress(&info);
    return picture;
}
