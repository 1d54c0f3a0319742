#pragma once

// The byte layouts: how the dots of a module are laid into the bytes its
// display memory takes. The one home of a byte's place and a bit's.
//
//   RowsLsb   each row of W dots in ceil(W / 8) bytes, rows from the top;
//             eight dots of one row a byte, the leftmost in bit 0 (the
//             window's module, XBM)
//   RowsMsb   the same with the leftmost dot in bit 7 (raw PBM, T6963C)
//   PagesLsb  the rows cut into ceil(H / 8) pages of 8, the top page first;
//             each page W bytes, one a column from the left, holding that
//             column's 8 dots of the page, the top one in bit 0 (SSD1306)
//   PagesMsb  the same with the top dot in bit 7
//
// Bits past the width (rows) or the height (pages) are 0.

#include "dotgrid.h"

#include <QByteArray>
#include <QByteArrayView>

enum class ByteLayout { RowsLsb, RowsMsb, PagesLsb, PagesMsb };

// The number of bytes a module of size takes in layout.
constexpr qsizetype ByteCount(DotSize size, ByteLayout layout)
{
    const qsizetype w = size.width, h = size.height;
    if (w < 1 || h < 1)
        return 0;
    return layout == ByteLayout::RowsLsb || layout == ByteLayout::RowsMsb ? (w + 7) / 8 * h : (h + 7) / 8 * w;
}

// The bytes of the designed module in the window's layout: 1920.
inline constexpr qsizetype LcdByteCount = ByteCount(LcdSize, ByteLayout::RowsLsb);

// The dots laid into ByteCount(dots.size(), layout) bytes.
QByteArray PackDots(const DotGrid &dots, ByteLayout layout);
// The same into the caller's ByteCount(dots.size(), layout) bytes, all 0.
void PackDotsInto(const DotGrid &dots, ByteLayout layout, char *bytes);

// The dots of size that bytes hold in layout; bytes missing at the end give
// unlit dots, bytes past ByteCount are not looked at.
DotGrid UnpackDots(QByteArrayView bytes, DotSize size, ByteLayout layout);

// One sentence on the layout for a comment: "Rows from the top, 30 bytes a
// row, eight dots a byte with the leftmost dot in bit 0."
QByteArray DescribeLayout(DotSize size, ByteLayout layout);
