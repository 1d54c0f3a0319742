#pragma once

#include "encoder.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// How converting one bitmap ended; anything else (a crash, a hang, a wrong
// listing, a stray file) is a fault.
enum class Ending { Converted, Refused, Failed };

struct PathOutcome
{
    Ending ending = Ending::Failed;
    QString message;    // the refusal text or the reason of a failure
    QByteArray listing; // the listing written, when converted
};

// The converter's path in this process: read the headers, admit, decode,
// encode and write the listing to listingPath.
PathOutcome ConvertInProcess(const QString &bitmapPath, const QString &listingPath,
                             Sense sense = Sense::Normal);

inline constexpr char ExpectedRefusal[] =
    "Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap.";

struct ConverterRun
{
    bool finished = false; // ended by itself in time, not by a signal
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs program (the built converter by default); childSetup runs in the child
// between fork and exec.
QString ConverterPath();
ConverterRun RunConverter(const QStringList &arguments, const std::function<void()> &childSetup = {},
                          const QString &program = ConverterPath());

// Every entry of a folder, hidden ones included, sorted.
QStringList EntriesIn(const QString &folder);

// The bmpsuite corpus: "g/pal1.bmp" and the like from its good, questionable
// and bad folders; the full path of one.
std::vector<std::string> BmpsuiteFiles();
QString BmpsuitePath(const std::string &relative);

// A 240 x 64 picture in sixteen bands, each one pattern of eight pixels
// repeated, so wrong dots or rows started a few bytes off change the listing
// at once: its file (1 bit, info header size, palette length, 0 for two) and
// its listings.
QByteArray BandedBmp(int infoSize = 40, int clrUsed = 0);
QByteArray BandedListing(Sense sense);

// bytes with a little-endian field of size 2 or 4 at offset set to value.
QByteArray WithField(QByteArray bytes, int offset, int size, std::int64_t value);

// Keeps the decoder's warnings about broken files off the output while it
// lives; critical and fatal messages still reach standard error.
struct QuietDecoderWarnings
{
    QuietDecoderWarnings();
    ~QuietDecoderWarnings();
    QuietDecoderWarnings(const QuietDecoderWarnings &) = delete;
    QtMessageHandler previous;
};
