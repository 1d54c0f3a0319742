// Speed of the conversion steps for one 240 x 64 picture: reading and
// admitting the headers, decoding, encoding the listing in memory, writing it
// to disk, and reading it back into the LCD dots.

#include "bitmapfile.h"
#include "encoder.h"
#include "listingformat.h"
#include "listingreader.h"
#include "outputfile.h"
#include "picture.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// The bitmap every figure is taken on: the logo sample, both colours in many
// places, from the source tree or else the working folder.
QString samplePath()
{
    const QString name = QStringLiteral("dotpress-logo.bmp");
    const QString beside = QStringLiteral(DOTPRESS_SAMPLES_DIR "/") + name;
    return QFileInfo::exists(beside) ? beside : name;
}

struct Sample
{
    QString path;
    QByteArray bytes;
    BitmapHeaders headers;
    PaletteColours palette{};
    DecodedPicture picture;
    QImage image; // as the window shows it
};

const Sample &sample()
{
    static const Sample loaded = [] {
        Sample s;
        s.path = samplePath();
        QFile file(s.path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(s.path));
            std::exit(2);
        }
        s.bytes = file.readAll();
        file.seek(0);
        const BitmapFile read = ReadBitmapFile(file);
        s.headers = read.headers;
        s.palette = read.palette;
        s.picture = DecodeBitmap(read);
        if (!read.ok() || !IsAdmitted(s.headers) || !s.picture.ok()) {
            std::fprintf(stderr, "%s is not an admitted bitmap\n", qPrintable(s.path));
            std::exit(2);
        }
        s.image = PictureImage(s.picture);
        return s;
    }();
    return loaded;
}

QByteArray encodeSample(const PixelSource &source, Sense sense)
{
    const Sample &s = sample();
    return FormatListing(PackDots(ScanDots(source, ScanBoundsFor(s.headers), OnColour(s.palette, sense)), ByteLayout::RowsLsb));
}

// Open, read the headers, the palette and the rows in one pass, close, and
// the admission test.
void BM_ReadFile(benchmark::State &state)
{
    const QString path = sample().path;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the sample");
            break;
        }
        const BitmapFile read = ReadBitmapFile(file);
        benchmark::DoNotOptimize(read.ok() && IsAdmitted(read.headers));
    }
}
BENCHMARK(BM_ReadFile);

// The data check and the decode of what was read: what a conversion costs
// before the encoder.
void BM_Decode(benchmark::State &state)
{
    QBuffer buffer;
    buffer.setData(sample().bytes);
    buffer.open(QIODevice::ReadOnly);
    const BitmapFile read = ReadBitmapFile(buffer);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeBitmap(read));
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMicrosecond);

// The encoder over the decoded picture, as the converter runs it: 15 360
// pixels to the 10 800 bytes of the listing in memory. Target: 100 us.
void BM_EncodeRows(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeSample(sample().picture, Sense::Normal));
    state.SetBytesProcessed(state.iterations() * Listing::FileBytes);
}
BENCHMARK(BM_EncodeRows)->Unit(benchmark::kMicrosecond);

// The same over the picture on display, as the window runs it.
void BM_EncodeRowsFromImage(benchmark::State &state)
{
    const ImagePixelSource source(sample().image);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeSample(source, Sense::Normal));
}
BENCHMARK(BM_EncodeRowsFromImage)->Unit(benchmark::kMicrosecond);

// The encoder with the percentage reported, as the window runs it (the
// callback itself does nothing here).
void BM_EncodeRowsWithProgress(benchmark::State &state)
{
    const Sample &s = sample();
    const ImagePixelSource source(s.image);
    int last = 0;
    const ProgressFn progress = [&last](int percent) { last = percent; };
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatListing(PackDots(
            ScanDots(source, ScanBoundsFor(s.headers), OnColour(s.palette, Sense::Normal), progress), ByteLayout::RowsLsb)));
    }
    benchmark::DoNotOptimize(last);
}
BENCHMARK(BM_EncodeRowsWithProgress)->Unit(benchmark::kMicrosecond);

QString scratchDirectory()
{
    static QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        std::exit(2);
    }
    return dir.path();
}

// The real writer: a new file, written, synced and renamed over the old
// listing.
void BM_WriteListingFile(benchmark::State &state)
{
    const QByteArray listing = encodeSample(sample().picture, Sense::Normal);
    const QString path = scratchDirectory() + QStringLiteral("/lcd_write.txt");
    for (auto _ : state) {
        const WriteResult result = WriteOutputFile(QFile::encodeName(path), listing);
        if (!result.ok) {
            state.SkipWithError(qPrintable(result.error));
            break;
        }
    }
}
BENCHMARK(BM_WriteListingFile)->Unit(benchmark::kMicrosecond);

// For comparison only: the same bytes written over the listing in place,
// with no sync and no rename. Not what the program does; it shows what the
// durable write costs.
void BM_WritePlainFile(benchmark::State &state)
{
    const QByteArray listing = encodeSample(sample().picture, Sense::Normal);
    const QString path = scratchDirectory() + QStringLiteral("/lcd_plain.txt");
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
            || file.write(listing) != listing.size()) {
            state.SkipWithError(qPrintable(file.errorString()));
            break;
        }
    }
}
BENCHMARK(BM_WritePlainFile)->Unit(benchmark::kMicrosecond);

// The listing in memory back into the 15 360 dots. Target: 20 us.
void BM_ReadListing(benchmark::State &state)
{
    const QByteArray listing = encodeSample(sample().picture, Sense::Normal);
    DotGrid dots(LcdSize);
    for (auto _ : state) {
        const ListingReadResult result = ReadListing(QByteArrayView(listing), dots);
        if (!result.ok() || result.dots != qint64(LcdWidth) * LcdHeight) {
            state.SkipWithError("the listing did not read back whole");
            break;
        }
        benchmark::DoNotOptimize(dots);
    }
    state.SetBytesProcessed(state.iterations() * Listing::FileBytes);
}
BENCHMARK(BM_ReadListing)->Unit(benchmark::kMicrosecond);

QString writtenListing()
{
    const QString path = scratchDirectory() + QStringLiteral("/lcd_read.txt");
    const QByteArray listing = encodeSample(sample().picture, Sense::Normal);
    if (!WriteOutputFile(QFile::encodeName(path), listing).ok) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
    return path;
}

// The same from the file on disk: open, read, close.
void BM_ReadListingFile(benchmark::State &state)
{
    const QString path = writtenListing();
    DotGrid dots(LcdSize);
    for (auto _ : state) {
        const ListingReadResult result = ReadListingFile(path, dots);
        if (!result.ok()) {
            state.SkipWithError(qPrintable(result.describe()));
            break;
        }
        benchmark::DoNotOptimize(dots);
    }
}
BENCHMARK(BM_ReadListingFile)->Unit(benchmark::kMicrosecond);

// As the preview's Show draws: the file read back one dot at a time into the
// image that its picture box keeps, black or green.
void BM_ReadListingFileIntoImage(benchmark::State &state)
{
    const QString path = writtenListing();
    QImage lcd(LcdWidth, LcdHeight, QImage::Format_ARGB32);
    const QRgb on = qRgb(0, 0, 0);
    const QRgb off = qRgb(0, 128, 0);
    for (auto _ : state) {
        const ListingReadResult result =
            ReadListingFile(path, LcdWidth, LcdHeight, [&lcd, on, off](int x, int y, bool bit) {
                if (lcd.valid(x, y))
                    lcd.setPixel(x, y, bit ? on : off);
            });
        if (!result.ok()) {
            state.SkipWithError(qPrintable(result.describe()));
            break;
        }
        benchmark::DoNotOptimize(lcd.constBits());
    }
}
BENCHMARK(BM_ReadListingFileIntoImage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
