#pragma once

#include "dotgrid.h"
#include "listingformat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QIODevice;

// Reading a DB listing back into LCD dots: the inverse of the listing writer.
//
// Each non-empty line becomes a bit text: the first 11 characters (the
// "        DB " prefix) and the last two (the closing "H;") are cut off,
// every "H," is removed and every hexadecimal digit becomes four of the
// characters "0" and "1", most significant first; letters in either case.
// Any other character stays as it is.
//
// The bit text is then drawn in groups of eight characters, each group from
// its last character to its first, one dot per character from the drawing
// position on (column, row), wrapping to the next row after the last column
// and stopping once the row reaches the height. A trailing group of fewer
// than eight characters draws nothing; the next line goes on from the next
// dot. Empty lines are skipped and move nothing.
//
// Line ends are CR LF or a bare LF.
//
// Read as ListingForm::LeadingZero (the converter's --to-bitmap), a field of
// three digits whose first is "0" counts as its last two ("0FFH" as "FFH"),
// so that the listings assemblers take read back too; a field is what lies
// between the cut ends of the line and the "H," separators. The preview
// reads the designed form, where such a field is twelve dots.
//
// What is checked:
// - A non-empty line of fewer than 13 characters is an error, on every line,
//   also once the picture is full.
// - A character that is neither "0" nor "1" in the bit text is an error only
//   when the walk reaches it: the dots of its group that come before it are
//   drawn, and a stray character in an incomplete trailing group, or in a
//   line that is read after the picture is full, is never looked at.
// - A line longer than MaxLineLength characters is an error (a DB line has
//   43): the reader holds one line at a time, so memory stays bounded.
// Reading stops at the first error; the dots drawn so far stay.

inline constexpr qsizetype MaxLineLength = 65536;

enum class ListingProblem {
    None,
    CannotOpen,          // the file cannot be opened
    ReadFailed,          // reading stopped part way with an error of the system
    LineTooShort,        // a non-empty line of fewer than 13 characters
    UnexpectedCharacter, // a dot whose bit is neither "0" nor "1"
    LineTooLong,         // a line of more than MaxLineLength characters
};

struct ListingReadResult
{
    ListingProblem problem = ListingProblem::None;
    qint64 line = 0;   // of the problem, from 1, empty lines counted; 0 when the file cannot be opened
    QString reason;    // "unexpected character 'G'", or the system's reason
    int column = 0;    // the drawing position where reading ended
    int row = 0;
    qint64 dots = 0;   // the number of dots drawn

    bool ok() const { return problem == ListingProblem::None; }
    // "line 17: unexpected character 'G'"; the reason alone when there is no line.
    QString describe() const;
};

// Called once for each dot drawn, in drawing order: on is true for "1".
using DotFn = std::function<void(int x, int y, bool on)>;

// The bit text of one listing line (without its line end), or nothing when
// the line is non-empty but shorter than 13 characters.
std::optional<QByteArray> ListingLineBits(QByteArrayView line, ListingForm form = ListingForm::Designed);

// Reads a listing and draws it into a width x height picture, starting at
// column 0, row 0. A width or height below 1 draws nothing.
ListingReadResult ReadListing(QByteArrayView listing, int width, int height, const DotFn &dot,
                              ListingForm form = ListingForm::Designed);
ListingReadResult ReadListing(QIODevice &device, int width, int height, const DotFn &dot,
                              ListingForm form = ListingForm::Designed);
ListingReadResult ReadListingFile(const QString &path, int width, int height, const DotFn &dot,
                                  ListingForm form = ListingForm::Designed);

// The same into a grid of dots, its size the picture's: each dot drawn is set
// lit or unlit, the others are left as they are.
ListingReadResult ReadListing(QByteArrayView listing, DotGrid &dots, ListingForm form = ListingForm::Designed);
ListingReadResult ReadListing(QIODevice &device, DotGrid &dots, ListingForm form = ListingForm::Designed);
ListingReadResult ReadListingFile(const QString &path, DotGrid &dots, ListingForm form = ListingForm::Designed);
