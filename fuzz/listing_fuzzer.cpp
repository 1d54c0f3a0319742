// Arbitrary text through the listing reader, as the preview reads a file.
// Beyond the sanitizers' own checks it stops when a dot falls outside the
// picture or comes out of order, when an error has no reason, or when the
// dots of a listing read whole, written as a listing again, read back as
// other dots.

#include "listingreader.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));

    DotGrid whole(LcdSize);
    const ListingReadResult read = ReadListing(QByteArrayView(text), whole);
    if (!read.ok() && read.reason.isEmpty())
        broken("an error has a reason");
    if (read.dots < 0 || read.dots > qint64(LcdWidth) * LcdHeight)
        broken("the dots counted fit in the picture");
    if (read.ok() && read.dots == qint64(LcdWidth) * LcdHeight) {
        const QByteArray again = FormatListing(PackDots(whole, ByteLayout::RowsLsb));
        DotGrid back(LcdSize);
        if (!ReadListing(QByteArrayView(again), back).ok() || !(back == whole))
            broken("the writer's listing of the dots read gives those dots back");
    }

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
