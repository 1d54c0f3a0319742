#pragma once

#include "encoder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// What the conversion of one bitmap ended with. Anything but these three (a
// crash, a hang, a wrong listing, a stray file) is a fault.
enum class Ending { Converted, Refused, Failed };

const char *EndingName(Ending ending);

struct PathOutcome
{
    Ending ending = Ending::Failed;
    QString message;    // the refusal text or the reason of a failure
    QByteArray listing; // the listing written, when converted
};

// Walks the converter's path in this process: read the headers, admit,
// decode, encode and write the listing to listingPath.
PathOutcome ConvertInProcess(const QString &bitmapPath, const QString &listingPath,
                             Sense sense = Sense::Normal);

// The refusal text exactly as the user reads it.
inline constexpr char ExpectedRefusal[] =
    "Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap.";

struct ConverterRun
{
    bool finished = false; // ended by itself within the time allowed, not by a signal
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built dotpress-convert with arguments. childSetup, when given, runs
// in the child between fork and exec (resource limits, signal dispositions).
ConverterRun RunConverter(const QStringList &arguments,
                          const std::function<void()> &childSetup = {});

// The same for any program, e.g. a wrapper that prepares a file system first.
ConverterRun RunProgram(const QString &program, const QStringList &arguments,
                        const std::function<void()> &childSetup = {});

// The path of the built converter.
QString ConverterPath();

// Every entry of a folder, hidden ones included, sorted; "." and ".." left out.
QStringList EntriesIn(const QString &folder);

// The bmpsuite corpus: "g/pal1.bmp" and the like from its good, questionable
// and bad folders, found when the tests start; the full path of one; and a
// test row name made of it ("g_pal1_bmp"). For every path that takes a
// bitmap in: the converter, the window's selection.
std::vector<std::string> BmpsuiteFiles();
QString BmpsuitePath(const std::string &relative);
std::string BmpsuiteRowName(const ::testing::TestParamInfo<std::string> &info);

// A 240 x 64 picture in sixteen bands of four rows. Every pixel group of eight
// in a band follows the band's pattern, so the band's 15 lines hold one field
// repeated; a listing that lights the wrong dots, or starts the rows a few
// bytes early or late, differs at once.
int BandedIndex(int x, int y);
QByteArray BandedListing(Sense sense);

// A good file of the banded picture: 1 bit, the given info header size and
// palette length (0: two entries).
QByteArray BandedBmp(int infoSize = 40, int clrUsed = 0);

// bytes with a little-endian field of size 2 or 4 at offset set to value.
QByteArray WithField(QByteArray bytes, int offset, int size, std::int64_t value);

// 240 lines of FFH fields: every dot lit.
QByteArray AllLitListing();

// Keeps the decoder's warnings about broken files (thousands of them in the
// loops over generated files) off the output while it lives; critical and
// fatal messages still reach standard error.
class QuietDecoderWarnings
{
public:
    QuietDecoderWarnings();
    ~QuietDecoderWarnings();
    QuietDecoderWarnings(const QuietDecoderWarnings &) = delete;
    QuietDecoderWarnings &operator=(const QuietDecoderWarnings &) = delete;

private:
    QtMessageHandler m_previous = nullptr;
};
