// JPEG through libjpeg-turbo, read from the file as it decodes and row by
// row: any warning about the data (a cut file, a corrupt one) ends the
// decoding at once as a failure, where Qt's reader would carry on and fill
// the rest. A picture far larger than its place on the module is decoded at
// 1/2, 1/4 or 1/8 of its size (DCT scaling).

#include "picturereaders.h"

#include <QImageIOHandler>

#include <csetjmp>
#include <cstdio>
#include <cstring>

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

// The file read a buffer at a time; its end, as with the library's own
// sources, is a warning (which stops the decoding) and a made-up end marker.
struct JpegSource
{
    jpeg_source_mgr manager; // first, so that the library's pointer is ours too
    PictureInput &input;
    std::vector<JOCTET> buffer = std::vector<JOCTET>(1 << 16);
};

boolean Fill(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<JpegSource *>(info->src);
    qint64 got = source->input.read(reinterpret_cast<char *>(source->buffer.data()), qint64(source->buffer.size()));
    if (got <= 0) {
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->buffer.data();
    source->manager.bytes_in_buffer = std::size_t(got);
    return TRUE;
}

void Skip(j_decompress_ptr info, long count)
{
    jpeg_source_mgr &manager = *info->src;
    while (count > long(manager.bytes_in_buffer)) {
        count -= long(manager.bytes_in_buffer);
        Fill(info);
    }
    manager.next_input_byte += count;
    manager.bytes_in_buffer -= std::size_t(count);
}

void Nothing(j_decompress_ptr) {}

// The orientation of an APP1 EXIF block (TIFF fields, either byte order):
// tag 0x0112, one unsigned short of 1 to 8, in the first of up to ten
// image directories that has one; 1 (upright) when there is none.
int ExifOrientation(const jpeg_saved_marker_ptr marker)
{
    const JOCTET *d = marker->data + 6;
    const qint64 size = qint64(marker->data_length) - 6;
    if (size < 8 || std::memcmp(marker->data, "Exif\0\0", 6) != 0 || (d[0] != d[1]) || (d[0] != 'I' && d[0] != 'M'))
        return 1;
    const bool intel = d[0] == 'I';
    const auto field = [&](qint64 at, int bytes) {
        qint64 value = 0;
        for (int n = 0; n < bytes && at + bytes <= size; ++n)
            value |= qint64(d[at + n]) << (8 * (intel ? n : bytes - 1 - n));
        return value;
    };
    qint64 directory = field(4, 4);
    for (int count = 0; count < 10 && directory >= 8 && directory + 2 <= size; ++count) {
        const qint64 entries = field(directory, 2);
        for (qint64 e = 0, at = directory + 2; e < entries && at + 12 <= size; ++e, at += 12)
            if (field(at, 2) == 0x0112) {
                const qint64 value = field(at + 8, 2);
                return field(at + 2, 2) == 3 && field(at + 4, 4) == 1 && value >= 1 && value <= 8 ? int(value) : 1;
            }
        directory = field(directory + 2 + 12 * entries, 4);
    }
    return 1;
}

// Orientations 1 to 8 as Qt's transformations.
QImageIOHandler::Transformations Transformation(int orientation)
{
    static constexpr QImageIOHandler::Transformation ByOrientation[] = {
        QImageIOHandler::TransformationNone,          QImageIOHandler::TransformationNone,
        QImageIOHandler::TransformationMirror,        QImageIOHandler::TransformationRotate180,
        QImageIOHandler::TransformationFlip,          QImageIOHandler::TransformationFlipAndRotate90,
        QImageIOHandler::TransformationRotate90,      QImageIOHandler::TransformationMirrorAndRotate90,
        QImageIOHandler::TransformationRotate270};
    return ByOrientation[orientation];
}

// The decoding proper, with the jump back set here: nothing here owns memory
// that a jump out of the library would leak, and what it fills lives in the
// caller. False when the library stopped it.
bool ReadRows(jpeg_decompress_struct &info, JpegErrors &errors, JpegSource &source, GreyRows &rows, int b,
              std::vector<JSAMPLE> &row, std::vector<std::uint8_t> &greys, QString &error)
{
    if (setjmp(errors.jump) != 0)
        return false;
    jpeg_create_decompress(&info);
    source.manager.init_source = Nothing;
    source.manager.fill_input_buffer = Fill;
    source.manager.skip_input_data = Skip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = Nothing;
    source.manager.bytes_in_buffer = 0;
    info.src = &source.manager;
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    error = PixelLimitError(info.image_width, info.image_height);
    if (!error.isEmpty())
        return true;
    int orientation = 1;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker && orientation == 1; marker = marker->next)
        orientation = ExifOrientation(marker);
    const Turn upright = TurnOf(Transformation(orientation));
    // Decoded at 1/d, d the largest of 1, 2, 4 and 8 that leaves the decoded
    // picture (ceil(side / d) on each side) at least twice its fitted size.
    const DotSize wanted = rows.fitted({int(info.image_width), int(info.image_height)}, upright);
    unsigned d = 1;
    while (d < 8 && (info.image_width + 2 * d - 1) / (2 * d) >= 2 * unsigned(wanted.width)
           && (info.image_height + 2 * d - 1) / (2 * d) >= 2 * unsigned(wanted.height))
        d *= 2;
    info.scale_num = 1;
    info.scale_denom = d;
    // Colour as Qt's reader takes it: grey, RGB, or CMYK stored inverted
    // (as Adobe writes it) with each colour scaled by K.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    const int channels = info.output_components;
    row.resize(std::size_t(info.output_width) * channels);
    greys.resize(info.output_width);
    rows.begin({int(info.output_width), int(info.output_height)}, upright);
    JSAMPROW rowPointers[] = {row.data()};
    while (info.output_scanline < info.output_height) {
        jpeg_read_scanlines(&info, rowPointers, 1);
        for (std::size_t x = 0; x < greys.size(); ++x) {
            const JSAMPLE *s = &row[x * channels];
            greys[x] = channels == 1 ? GreyOver(s[0], s[0], s[0], 255, b)
                     : channels == 3 ? GreyOver(s[0], s[1], s[2], 255, b)
                                     : GreyOver(s[3] * s[0] / 255, s[3] * s[1] / 255, s[3] * s[2] / 255, 255, b);
        }
        rows.add(greys.data());
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QString DecodeJpeg(PictureInput &input, int b, GreyRows &rows)
{
    QString error;
    std::vector<JSAMPLE> row;
    std::vector<std::uint8_t> greys;
    jpeg_decompress_struct info;
    JpegErrors errors;
    JpegSource source{{}, input};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = Stop;
    errors.manager.emit_message = Warn;
    if (!ReadRows(info, errors, source, rows, b, row, greys, error))
        error = errors.reason;
    jpeg_destroy_decompress(&info);
    return error;
}
