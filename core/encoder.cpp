#include "encoder.h"

#include "listingformat.h"

#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <limits>


RgbColour PaletteRgb(const PaletteEntry &entry)
{
    return Rgb(entry.red, entry.green, entry.blue);
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

QByteArray EncodePixels(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                        const ProgressFn &progress)
{
    QByteArray bytes;
    const int width = bounds.lastColumn - bounds.firstColumn + 1;
    const int height = bounds.lastRow - bounds.firstRow + 1;
    if (width <= 0 || height <= 0)
        return bytes;
    const qint64 pixels = qint64(width) * height;
    bytes.reserve(qsizetype((pixels + 7) / 8));

    // The percentage goes up each time the pixel counter is a multiple of a
    // hundredth of the pixels, that hundredth rounded: 154 for 240 x 64.
    const qint64 step = std::max<qint64>(1, std::llround(double(pixels) / 100.0));
    int percent = 0;
    qint64 counter = 0;
    int bit = 0;
    unsigned value = 0;
    for (int y = bounds.firstRow; y <= bounds.lastRow; ++y) {
        for (int x = bounds.firstColumn; x <= bounds.lastColumn; ++x) {
            // The first pixel of a byte is bit 0, the eighth bit 7.
            if (source.pixelColour(x, y) == onColour)
                value |= 1u << bit;
            if (++bit == 8) {
                bytes += char(value);
                bit = 0;
                value = 0;
            }
            if (++counter % step == 0 && percent < 100) {
                ++percent;
                if (progress)
                    progress(percent);
            }
        }
    }
    // Only a picture whose pixel count is not a multiple of eight leaves a
    // partial byte; an admitted one never does.
    if (bit > 0)
        bytes += char(value);
    return bytes;
}

void EncodeRows(const PixelSource &source, const ScanBounds &bounds, RgbColour onColour,
                QByteArray &out, const ProgressFn &progress)
{
    out += FormatListing(EncodePixels(source, bounds, onColour, progress));
}

WriteResult WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    WriteResult result;
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in
    // what write() returns: a buffered QSaveFile can commit a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const int savedErrno = errno;
        result.error = written < 0 ? file.errorString()
                                   : QStringLiteral("only %1 of %2 bytes could be written (%3)")
                                         .arg(written).arg(bytes.size())
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
    const WriteResult written = WriteFileAtomically(path, listing);
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
