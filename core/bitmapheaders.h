#pragma once

#include <QString>

class QIODevice;

#include <array>
#include <cstdint>

// The file header and info header of the last selected bitmap, with the field
// names of the published BMP format. Zero until the first selection.
struct BitmapHeaders
{
    // File header (14 bytes on disk).
    std::int16_t bfType = 0;
    std::int32_t bfSize = 0;
    std::int16_t bfReserved1 = 0;
    std::int16_t bfReserved2 = 0;
    std::int32_t bfOffBits = 0;
    // Info header (40 bytes are read, whatever biSize says).
    std::int32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::int16_t biPlanes = 0;
    std::int16_t biBitCount = 0;
    std::int32_t biCompression = 0;
    std::int32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::int32_t biClrUsed = 0;
    std::int32_t biClrImportant = 0;
};

// One palette entry in file order: blue, green, red, reserved.
struct PaletteEntry
{
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

// The first two palette entries of the last selected 1-bit bitmap.
using PaletteColours = std::array<PaletteEntry, 2>;

// The only picture the LCD module takes.
inline constexpr int LcdWidth = 240;
inline constexpr int LcdHeight = 64;
inline constexpr int LcdBitCount = 1;
inline constexpr int LcdColours = 2;

struct HeaderReadResult
{
    bool ok = false;
    QString error;      // the system's reason when the file cannot be opened
    qint64 fileSize = 0; // the size of the file as opened
    bool paletteRead = false; // true when the file is 1-bit and PaletteColours were replaced
};

// Reads the 14-byte file header, 40 bytes of info header and, for a 1-bit
// file, the first two palette entries from where the palette really starts
// (right after the info header, whatever its length). Bytes missing at the end
// of a short file count as zero, so such a file is never admitted on values
// left from an earlier one. PaletteColours keep their values for any other
// bit count.
HeaderReadResult ReadBitmapHeaders(const QString &path, BitmapHeaders &headers,
                                   PaletteColours &palette);

// The same, from a device opened for reading (a file, or bytes in a QBuffer).
HeaderReadResult ReadBitmapHeaders(QIODevice &device, BitmapHeaders &headers,
                                   PaletteColours &palette);

// The file offset of the first palette entry: just after the info header.
qint64 PaletteOffset(const BitmapHeaders &headers);

// True exactly when the bitmap is 64 high, 240 wide and 1 bit per pixel.
bool IsAdmitted(const BitmapHeaders &headers);

// The text of the "Picture Size Error" box, two lines joined by CR LF.
QString RefusalText();
inline constexpr char RefusalTitle[] = "Picture Size Error";

// The depth text, e.g. "1 Bits  (2 Colors)".
QString ColorValueText(const BitmapHeaders &headers);

// What may be wrong with an admitted bitmap's file beyond its size and depth.
enum class PictureDataProblem {
    None,
    UnsupportedCompression, // a 1-bit picture is stored uncompressed or not at all
    PaletteIncomplete,      // fewer than two entries, or the palette overlaps the data or the end
    DataOffsetInvalid,      // the pixel data would start before the palette ends or past the file
    DataIncomplete,         // the file ends before the last row of pixel data (found by the decode)
};

// Checks that an admitted bitmap's file holds the palette that its headers
// promise and that its pixel data starts after it, within the file; whether
// every row is there the decode finds as it reads them. A decoder given a
// file that fails would otherwise invent the missing colours or rows.
PictureDataProblem CheckPictureData(const BitmapHeaders &headers, qint64 fileSize);

// A short English description of a problem, for messages.
QString DescribeProblem(PictureDataProblem problem);
