// Arbitrary bytes through the path every bitmap takes: header reader,
// admission, decode and both senses of the encoder. Beyond the sanitizers'
// own checks it stops on a broken promise: a failure without a reason, a
// picture of another size, a pixel in a colour that is not one of the two
// palette entries, a listing of another length.

#include "bitmapheaders.h"
#include "encoder.h"
#include "listingformat.h"
#include "decodedpicture.h"

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

    BitmapHeaders headers;
    PaletteColours palette;
    if (!ReadBitmapHeaders(device, headers, palette).ok)
        broken("a buffer always opens");
    if (!IsAdmitted(headers))
        return 0;

    const DecodedPicture source = DecodeBitmap(device, headers, palette);
    if (!source.ok())
        return 0;

    const std::optional<ScanBounds> bounds = SetScanBounds(headers);
    if (!bounds)
        broken("240 x 64 has scan bounds");
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
        QByteArray listing;
        EncodeRows(source, *bounds, OnColour(palette, sense), listing);
        if (listing.size() != Listing::FileBytes)
            broken("a listing is 10 800 bytes");
    }
    return 0;
}
