// Arbitrary text through the listing reader, as the preview reads a file:
// from a device line by line, and the same text from memory. Beyond the
// sanitizers' own checks it stops when the two readings disagree, when a dot
// falls outside the picture or comes out of order, or when an error has no
// reason.

#include "listingreader.h"

#include <QBuffer>
#include <QByteArray>

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

bool sameResult(const ListingReadResult &a, const ListingReadResult &b)
{
    return a.problem == b.problem && a.line == b.line && a.reason == b.reason
        && a.column == b.column && a.row == b.row && a.dots == b.dots;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));

    LcdDots whole;
    const ListingReadResult fromMemory = ReadListing(QByteArrayView(text), whole);
    if (!fromMemory.ok() && fromMemory.reason.isEmpty())
        broken("an error has a reason");
    if (fromMemory.dots != whole.drawnCount() || whole.drawnCount() > LcdDots::Count)
        broken("the dots counted are the dots drawn, at most 15 360");

    QBuffer device;
    device.setData(text);
    device.open(QIODevice::ReadOnly);
    LcdDots streamed;
    const ListingReadResult fromDevice = ReadListing(device, streamed);
    if (!sameResult(fromMemory, fromDevice) || whole.bytes() != streamed.bytes())
        broken("reading from a device gives what reading from memory gives");

    // A small odd picture wraps often: every dot must land inside it, in
    // walk order.
    constexpr int Width = 7;
    constexpr int Height = 3;
    qint64 expected = 0;
    const ListingReadResult small = ReadListing(QByteArrayView(text), Width, Height,
                                                [&](int x, int y, bool) {
                                                    if (x < 0 || x >= Width || y < 0 || y >= Height
                                                        || y * Width + x != expected)
                                                        broken("dots inside the picture, in order");
                                                    ++expected;
                                                });
    if (small.dots != expected)
        broken("the dots counted are the dots drawn");
    return 0;
}
