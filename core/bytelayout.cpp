#include "bytelayout.h"

#include <cstdint>

namespace {

// Where dot (x, y) of a module width dots wide goes: its byte and its bit.
struct Place
{
    qsizetype byte;
    int bit;
};

Place PlaceOf(int x, int y, int width, ByteLayout layout)
{
    switch (layout) {
    case ByteLayout::RowsLsb:
        return {qsizetype(y) * ((width + 7) / 8) + x / 8, x % 8};
    case ByteLayout::RowsMsb:
        return {qsizetype(y) * ((width + 7) / 8) + x / 8, 7 - x % 8};
    case ByteLayout::PagesLsb:
        return {qsizetype(y / 8) * width + x, y % 8};
    case ByteLayout::PagesMsb:
        return {qsizetype(y / 8) * width + x, 7 - y % 8};
    }
    return {0, 0};
}

} // namespace

namespace {

// Every dot ORed into its place, the layout fixed at compile time: a font's
// table packs tens of thousands of glyphs.
template <ByteLayout Layout>
void PackAs(const DotGrid &dots, char *bytes)
{
    for (int y = 0; y < dots.height(); ++y) {
        const std::uint8_t *row = dots.row(y);
        for (int x = 0; x < dots.width(); ++x) {
            const Place place = PlaceOf(x, y, dots.width(), Layout);
            bytes[place.byte] = char(std::uint8_t(bytes[place.byte]) | unsigned(row[x]) << place.bit);
        }
    }
}

} // namespace

void PackDotsInto(const DotGrid &dots, ByteLayout layout, char *bytes)
{
    switch (layout) {
    case ByteLayout::RowsLsb:
        return PackAs<ByteLayout::RowsLsb>(dots, bytes);
    case ByteLayout::RowsMsb:
        return PackAs<ByteLayout::RowsMsb>(dots, bytes);
    case ByteLayout::PagesLsb:
        return PackAs<ByteLayout::PagesLsb>(dots, bytes);
    case ByteLayout::PagesMsb:
        return PackAs<ByteLayout::PagesMsb>(dots, bytes);
    }
}

QByteArray PackDots(const DotGrid &dots, ByteLayout layout)
{
    QByteArray bytes(ByteCount(dots.size(), layout), '\0');
    PackDotsInto(dots, layout, bytes.data());
    return bytes;
}

DotGrid UnpackDots(QByteArrayView bytes, DotSize size, ByteLayout layout)
{
    DotGrid dots(size);
    for (int y = 0; y < dots.height(); ++y) {
        for (int x = 0; x < dots.width(); ++x) {
            const Place place = PlaceOf(x, y, dots.width(), layout);
            if (place.byte < bytes.size())
                dots.set(x, y, (std::uint8_t(bytes[place.byte]) >> place.bit) & 1u);
        }
    }
    return dots;
}

QByteArray DescribeLayout(DotSize size, ByteLayout layout)
{
    const bool lsb = layout == ByteLayout::RowsLsb || layout == ByteLayout::PagesLsb;
    if (layout == ByteLayout::RowsLsb || layout == ByteLayout::RowsMsb)
        return "Rows from the top, " + QByteArray::number((size.width + 7) / 8)
            + " bytes a row, eight dots a byte with the leftmost dot in bit " + (lsb ? "0" : "7") + '.';
    return "Pages of eight rows from the top, " + QByteArray::number(size.width)
        + " bytes a page, one a column from the left, with the top dot in bit " + (lsb ? "0" : "7") + '.';
}
