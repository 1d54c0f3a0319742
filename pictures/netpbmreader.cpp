// PBM (plain P1 or raw P4), and raw PGM and PPM (P5, P6) of 8 bits, read
// here: Qt's reader takes no side of 32768 or more, nor P1 digits written
// without spaces between them, as netpbm writes them. In P1, 1 is black;
// between its digits white space and comments may stand or not.

#include "picturereaders.h"

#include <cctype>

bool DecodeNetpbm(const QByteArray &bytes, int b, GreyPicture &picture)
{
    const char kind = bytes.size() > 1 ? bytes[1] : 0;
    qsizetype at = 2;
    const auto skip = [&] {
        while (at < bytes.size() && (std::isspace(std::uint8_t(bytes[at])) || bytes[at] == '#'))
            if (bytes[at++] == '#')
                while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                    ++at;
    };
    qint64 fields[3] = {0, 0, 255}; // width, height, the largest value
    for (int f = 0; f < (kind == '1' || kind == '4' ? 2 : 3); ++f) {
        skip();
        const qsizetype start = at;
        for (fields[f] = 0; at < bytes.size() && std::isdigit(std::uint8_t(bytes[at])) && fields[f] <= MaxPicturePixels; ++at)
            fields[f] = fields[f] * 10 + (bytes[at] - '0');
        if (at == start) {
            picture.error = Undecodable(QStringLiteral("the header is not complete"));
            return true;
        }
    }
    if (fields[2] != 255)
        return false;
    if (!BeginGreys(picture, fields[0], fields[1]))
        return true;
    const std::size_t width = std::size_t(fields[0]), count = width * std::size_t(fields[1]);
    if (kind == '1') {
        for (skip(); picture.greys.size() < count && at < bytes.size(); skip()) {
            if (bytes[at] != '0' && bytes[at] != '1') {
                picture.error = Undecodable(QStringLiteral("'%1' among the pixels").arg(QChar(bytes[at])));
                return true;
            }
            picture.greys.push_back(bytes[at++] == '1' ? 0 : 255);
        }
    } else {
        // One white space character after the header, then the rows.
        const auto *raster = reinterpret_cast<const std::uint8_t *>(bytes.constData()) + ++at;
        const std::size_t rowBytes = kind == '4' ? (width + 7) / 8 : kind == '5' ? width : 3 * width;
        if (qint64(rowBytes) * fields[1] > bytes.size() - at) {
            picture.error = IncompleteData();
            return true;
        }
        for (const std::uint8_t *row = raster; picture.greys.size() < count; row += rowBytes)
            for (std::size_t x = 0; x < width; ++x)
                picture.greys.push_back(kind == '4' ? (row[x / 8] >> (7 - x % 8) & 1 ? 0 : 255)
                                        : kind == '5' ? row[x] : GreyOver(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255, b));
    }
    if (picture.greys.size() < count)
        picture.error = IncompleteData();
    return true;
}
