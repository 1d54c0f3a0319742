#pragma once

#include <QString>

// The output's path: the folder, the platform's separator, "lcd_" and the
// bitmap's name with every ".bmp" (any letter case) replaced by extension
// (".txt" for the listing, ".h" for the C header, ".bin" for the bytes alone).
// A folder that already ends in a separator keeps it, so two stand in a row.
QString FormOutputPath(const QString &folder, const QString &fileName,
                       const QString &extension = QStringLiteral(".txt"));

// The bitmap written back from a listing: beside it, its ".txt" (any letter
// case) replaced by ".bmp"; a listing of any other name gets ".bmp" added, so
// the bitmap never takes the listing's place.
QString BitmapPathForListing(const QString &listingPath);
