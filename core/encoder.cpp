#include "encoder.h"

#include "listingformat.h"

#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

RgbColour PaletteRgb(const PaletteEntry &entry)
{
    return Rgb(entry.red, entry.green, entry.blue);
}

void PixelSource::rowColours(int x, int y, int count, RgbColour *out) const
{
    for (int i = 0; i < count; ++i)
        out[i] = pixelColour(x + i, y);
}

std::optional<ScanBounds> SetScanBounds(const BitmapHeaders &headers)
{
    const qint64 lastColumn = qint64(headers.biWidth) - 1;
    const qint64 lastRow = qint64(headers.biHeight) - 1;
    constexpr qint64 max16 = std::numeric_limits<std::int16_t>::max();
    if (lastColumn < 0 || lastRow < 0 || lastColumn > max16 || lastRow > max16)
        return std::nullopt;
    return ScanBounds{0, std::int16_t(lastColumn), 0, std::int16_t(lastRow)};
}

RgbColour OnColour(const PaletteColours &palette, Sense sense)
{
    return PaletteRgb(palette[sense == Sense::Normal ? 0 : 1]);
}

namespace {

// The byte of eight pixels, the first in bit 0: 1 bits for onColour.
inline unsigned packByte(const RgbColour *colours, RgbColour onColour)
{
#if defined(__SSE2__)
    // Eight compares in two, narrowed to one byte per pixel, whose top bits
    // are gathered in pixel order.
    const __m128i on = _mm_set1_epi32(int(onColour));
    const __m128i low = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(colours)), on);
    const __m128i high = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(colours + 4)), on);
    const __m128i words = _mm_packs_epi32(low, high);
    return unsigned(_mm_movemask_epi8(_mm_packs_epi16(words, words))) & 0xFFu;
#else
    unsigned byte = 0;
    for (int k = 0; k < 8; ++k)
        byte |= unsigned(colours[k] == onColour) << k;
    return byte;
#endif
}

} // namespace

void EncodeRows(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                QByteArray &out, const ProgressFn &progress)
{
    const int width = bounds.lastColumn - bounds.firstColumn + 1;
    const int height = bounds.lastRow - bounds.firstRow + 1;
    if (width <= 0 || height <= 0)
        return;

    const qint64 pixels = qint64(width) * height;
    out.reserve(out.size() + (pixels / 64 + 1) * Listing::LineBytes);

    // The percentage goes up each time the pixel counter reaches a multiple
    // of a hundredth of the pixels, that hundredth rounded: 154 for 240 x 64.
    const qint64 step = std::max<qint64>(1, std::llround(double(pixels) / 100.0));
    qint64 nextStep = step;
    int percent = 0;
    const auto stepReached = [&] {
        nextStep += step;
        if (percent < 100) {
            ++percent;
            if (progress)
                progress(percent);
        }
    };

    std::vector<RgbColour> row(std::size_t(width), 0);
    std::array<std::uint8_t, Listing::BytesPerLine> line{};
    int fields = 0;
    const auto byteDone = [&](unsigned byte) {
        line[std::size_t(fields++)] = std::uint8_t(byte);
        if (fields == Listing::BytesPerLine) {
            AppendLine(out, line);
            fields = 0;
        }
    };
    int bit = 0;
    unsigned value = 0;
    qint64 counter = 0;

    for (int y = bounds.firstRow; y <= bounds.lastRow; ++y) {
        source.rowColours(bounds.firstColumn, y, width, row.data());
        const RgbColour *colours = row.data();
        int i = 0;
        while (i < width) {
            if (bit == 0 && width - i >= 8) {
                // A whole byte within the row at once. A step reached inside
                // it is reported before the byte completes its line, one
                // reached by its last pixel after, as pixel by pixel.
                const unsigned byte = packByte(colours + i, onColour);
                const qint64 end = counter + 8;
                while (nextStep < end)
                    stepReached();
                counter = end;
                byteDone(byte);
                if (nextStep == counter)
                    stepReached();
                i += 8;
                continue;
            }
            // A byte that runs on across the end of a row, pixel by pixel.
            if (colours[i] == onColour)
                value |= 1u << bit;
            if (++bit == 8) {
                byteDone(value);
                bit = 0;
                value = 0;
            }
            if (++counter == nextStep)
                stepReached();
            ++i;
        }
    }
    // Only a picture whose pixel count is not a multiple of 64 leaves a
    // partial byte or line; an admitted one never does.
    if (bit > 0)
        byteDone(value);
    if (fields > 0)
        AppendLine(out, std::span<const std::uint8_t>(line.data(), std::size_t(fields)));
}

WriteResult WriteListingFile(const QString &path, const QByteArray &listing)
{
    WriteResult result;
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in
    // what write() returns: a buffered QSaveFile can commit a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 written = file.write(listing);
    if (written != listing.size()) {
        const int savedErrno = errno;
        result.error = written < 0 ? file.errorString()
                                   : QStringLiteral("only %1 of %2 bytes could be written (%3)")
                                         .arg(written).arg(listing.size())
                                         .arg(QString::fromLocal8Bit(std::strerror(savedErrno)));
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

ConversionResult ConvertPicture(const PixelSource &source, const BitmapHeaders &headers,
                                const ScanBounds &bounds, const PaletteColours &palette,
                                Sense sense, const QString &path, const ProgressFn &progress)
{
    ConversionResult result;
    if (headers.biBitCount != 1) {
        result.outcome = ConversionOutcome::NotOneBit;
        return result;
    }
    QByteArray listing;
    EncodeRows(source, bounds, OnColour(palette, sense), listing, progress);
    const WriteResult written = WriteListingFile(path, listing);
    if (!written.ok) {
        result.outcome = ConversionOutcome::WriteFailed;
        result.error = written.error;
        return result;
    }
    if (progress)
        progress(100);
    result.outcome = ConversionOutcome::Converted;
    return result;
}
