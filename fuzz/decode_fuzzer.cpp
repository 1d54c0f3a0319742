// Arbitrary bytes through the path every bitmap takes: header reader,
// admission, decode and both senses of the encoder. Beyond the sanitizers'
// own checks it stops on a broken promise: a failure without a reason, a
// picture of another size, a pixel in a colour that is not one of the two
// palette entries, a listing of another length.

#include "bitmapfile.h"
#include "encoder.h"
#include "listingformat.h"

#include <QBuffer>
#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *promise)
{
    std::fprintf(stderr, "broken: %s\n", promise);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);

    const BitmapFile file = ReadBitmapFile(device);
    if (!file.ok())
        broken("a buffer always reads");
    if (!IsAdmitted(file.headers))
        return 0;

    const DecodedPicture source = DecodeBitmap(file);
    if (!source.ok())
        return 0;

    const PaletteColours &palette = file.palette;
    const RgbColour entry0 = PaletteRgb(palette[0]);
    const RgbColour entry1 = PaletteRgb(palette[1]);
    for (int y = 0; y < LcdHeight; ++y) {
        for (int x = 0; x < LcdWidth; ++x) {
            const RgbColour colour = source.pixelColour(x, y);
            if (colour != entry0 && colour != entry1)
                broken("every pixel has one of the two palette colours");
        }
    }
    for (const Sense sense : {Sense::Normal, Sense::Inverse}) {
        const QByteArray listing = FormatListing(
            PackDots(ScanDots(source, ScanBoundsFor(file.headers), OnColour(palette, sense)), ByteLayout::RowsLsb));
        if (listing.size() != Listing::FileBytes)
            broken("a listing is 10 800 bytes");
    }
    return 0;
}
