#pragma once

// Output naming: the file each output goes to, and the C identifier named
// after it. Names are bytes as the system spells them; the window's QString
// paths go through QFile::encodeName and decodeName.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The output's name for an input's file name (without folder): "lcd_" and
// the name with every ".bmp" (any letter case) replaced by extension. A name
// with no ".bmp" has its last extension replaced by extension, or extension
// added when it has none:
//   logo.bmp -> lcd_logo.txt    a.bmp.bmp -> lcd_a.txt.txt
//   logo.dib -> lcd_logo.txt    logo      -> lcd_logo.txt
QByteArray OutputName(QByteArrayView fileName, QByteArrayView extension);

// A font's output name, for the current folder since fonts live in system
// folders: prefix ("font_"), the font's file name without folder and
// without every extension ("spleen-8x16.pcf.gz" -> "spleen-8x16"), "_PX"
// for pixels above 0, then every character outside A-Z, a-z, 0-9 and "_"
// replaced by "_", and extension: font_spleen_8x16.h, font_DejaVuSans_16.h.
QByteArray FontOutputName(QByteArrayView prefix, QByteArrayView fontPath, int pixels, QByteArrayView extension);

// The output's path beside an input: its folder ("." for none), "/" and its
// OutputName.
QByteArray OutputPathBeside(const QByteArray &inputPath, QByteArrayView extension);

// The window's listing path: the folder shown, the platform's separator and
// the OutputName with ".txt". A folder that already ends in a separator
// keeps it, so two stand in a row.
QString WindowListingPath(const QString &folder, const QString &fileName);

// The bitmap written back from a listing: beside it, its ".txt" (any letter
// case) replaced by ".bmp"; a listing of any other name gets ".bmp" added, so
// the bitmap never takes the listing's place.
QByteArray BitmapPathForListing(const QByteArray &listingPath);

// The C identifier for an output file's name: the name without its last
// extension, every character outside A-Z, a-z, 0-9 and "_" replaced by "_",
// a "_" in front of a leading digit and one after a keyword of C or C++.
// "lcd_my logo.h" -> "lcd_my_logo", "2x.h" -> "_2x", "int.h" -> "int_".
QString CIdentifier(const QString &fileName);
