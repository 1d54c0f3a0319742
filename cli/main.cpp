// dotpress-convert: the headless converter, for build systems.
// Converts each 240 x 64, 1-bit bitmap named on the command line into its DB
// listing, byte for byte the one the window writes (with --leading-zero, the
// form assemblers take), or into a C header or the bare bytes; with
// --to-bitmap, listings back into bitmaps.

#include "bitmapheaders.h"
#include "decodedpicture.h"
#include "encoder.h"
#include "listingformat.h"
#include "listingreader.h"
#include "outputformats.h"
#include "outputpath.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

enum Status { Converted = 0, Refused = 1, Failed = 2 };

enum class Format { Asm, C, Bin };

struct Output
{
    QTextStream out{stdout};
    QTextStream err{stderr};
};

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

Status fail(Output &io, const QString &path, const QString &reason)
{
    io.err << nativePath(path) << ": " << reason << Qt::endl;
    return Failed;
}

// Writes bytes made from input to path ("-" is standard output) and prints
// the path written.
Status writeOutput(Output &io, const QString &input, const QString &path, const QByteArray &bytes)
{
    if (path == QLatin1String("-")) {
        io.out.flush();
        QFile standardOutput;
        if (!standardOutput.open(stdout, QIODevice::WriteOnly)
            || standardOutput.write(bytes) != bytes.size() || !standardOutput.flush())
            return fail(io, input, QStringLiteral("cannot write to standard output: ")
                                       + standardOutput.errorString());
        return Converted;
    }
    const WriteResult written = WriteFileAtomically(path, bytes);
    if (!written.ok)
        return fail(io, input, QStringLiteral("cannot write %1: %2").arg(nativePath(path), written.error));
    io.out << nativePath(path) << Qt::endl;
    return Converted;
}

Status convertOne(Output &io, const QString &bitmap, Format format, Sense sense, ListingForm form,
                  const QString &target)
{
    BitmapHeaders headers;
    PaletteColours palette;
    const HeaderReadResult read = ReadBitmapHeaders(bitmap, headers, palette);
    if (!read.ok)
        return fail(io, bitmap, QStringLiteral("cannot open: ") + read.error);
    if (!IsAdmitted(headers)) {
        io.err << nativePath(bitmap) << ": " << RefusalText() << Qt::endl;
        return Refused;
    }
    const DecodedPicture source = DecodeBitmapFile(bitmap, headers, palette);
    if (!source.ok())
        return fail(io, bitmap, source.error);

    const std::optional<ScanBounds> bounds = SetScanBounds(headers);
    if (!bounds)
        return fail(io, bitmap, QStringLiteral("picture too large"));
    const QByteArray bytes = EncodePixels(source, *bounds, OnColour(palette, sense));

    const char *extension = format == Format::C ? ".h" : format == Format::Bin ? ".bin" : ".txt";
    const QFileInfo info(bitmap);
    const QString formed = FormOutputPath(info.path(), info.fileName(), QLatin1String(extension));
    const QString path = target.isEmpty() ? formed : target;
    switch (format) {
    case Format::Asm:
        return writeOutput(io, bitmap, path, FormatListing(bytes, form));
    case Format::C: {
        // Standard output has no name: the identifier is the formed file's.
        const QString named = path == QLatin1String("-") ? formed : path;
        return writeOutput(io, bitmap, path,
                           FormatCArray(bytes, CIdentifier(QFileInfo(named).fileName()), sense));
    }
    case Format::Bin:
        return writeOutput(io, bitmap, path, bytes);
    }
    return Failed;
}

// A listing read as the LCD preview reads it, written back as a bitmap; a
// field written with a leading zero (--leading-zero) reads as its last two digits.
Status listingToBitmap(Output &io, const QString &listing, const QString &target)
{
    LcdDots dots;
    const ListingReadResult read = ReadListingFile(listing, dots, ListingForm::LeadingZero);
    if (read.problem == ListingProblem::CannotOpen)
        return fail(io, listing, QStringLiteral("cannot open: ") + read.describe());
    if (!read.ok())
        return fail(io, listing, read.describe());
    if (dots.drawnCount() < LcdDots::Count)
        return fail(io, listing, QStringLiteral("the listing gives %1 of %2 dots")
                                     .arg(dots.drawnCount()).arg(LcdDots::Count));
    const QString path = target.isEmpty() ? BitmapPathForListing(listing) : target;
    return writeOutput(io, listing, path, EncodeBitmap(dots.bytes()));
}

Status usageError(Output &io, const QString &message)
{
    io.err << "dotpress-convert: " << message << " (see --help)" << Qt::endl;
    return Failed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dotpress-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts 240 x 64, 1-bit BMP files into the 1920 bytes of a graphic LCD module:\n"
        "a DB listing lcd_NAME.txt beside each bitmap, a C header or the bytes alone.\n"
        "With --to-bitmap, turns listings back into bitmaps."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption inverse(QStringLiteral("inverse"),
                                     QStringLiteral("Light the pixels of the second palette colour instead of the first."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("What to write: asm, the DB listing lcd_NAME.txt (the default); "
                                                   "c, a C header lcd_NAME.h with the array lcd_NAME[1920]; "
                                                   "bin, the 1920 bytes alone, lcd_NAME.bin."),
                                    QStringLiteral("asm|c|bin"), QStringLiteral("asm"));
    const QCommandLineOption toBitmap(QStringLiteral("to-bitmap"),
                                      QStringLiteral("The inputs are listings: write each NAME.txt back as a 240 x 64, "
                                                     "1-bit bitmap NAME.bmp, lit dots black. A listing that does not "
                                                     "give all 15360 dots fails. Fields written with "
                                                     "--leading-zero (0FFH) are read too."));
    const QCommandLineOption leadingZero(QStringLiteral("leading-zero"),
                                         QStringLiteral("With asm: write a 0 before each field that starts with a letter "
                                                        "(0FFH, not FFH), as assemblers such as z80asm and as31 need: "
                                                        "they read FFH as a symbol. The window writes FFH."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write to FILE instead (- for standard output); only with one input."),
                                    QStringLiteral("FILE"));
    parser.addOptions({inverse, format, leadingZero, toBitmap, output});
    parser.addPositionalArgument(QStringLiteral("BITMAP"),
                                 QStringLiteral("The bitmaps to convert, or with --to-bitmap the listings."),
                                 QStringLiteral("BITMAP... | --to-bitmap LISTING..."));

    Output io;
    // parse() rather than process(): a bad command line is a failure (2), not a refusal (1).
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(io, parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    const QString formatName = parser.value(format);
    const QStringList formatNames{QStringLiteral("asm"), QStringLiteral("c"), QStringLiteral("bin")};
    if (!formatNames.contains(formatName))
        return usageError(io, QStringLiteral("unknown format '%1': asm, c or bin").arg(formatName));
    if (parser.isSet(toBitmap) && (parser.isSet(format) || parser.isSet(inverse)))
        return usageError(io, QStringLiteral("--to-bitmap takes neither --format nor --inverse"));
    if (parser.isSet(leadingZero) && (parser.isSet(toBitmap) || formatName != QLatin1String("asm")))
        return usageError(io, QStringLiteral("--leading-zero is for writing asm listings only"));

    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(io, parser.isSet(toBitmap) ? QStringLiteral("no listing given")
                                                     : QStringLiteral("no bitmap given"));
    const QString target = parser.value(output);
    if (parser.isSet(output) && (target.isEmpty() || inputs.size() != 1))
        return usageError(io, QStringLiteral("-o takes a file name and exactly one input"));

    const Format chosen = Format(formatNames.indexOf(formatName));
    const Sense sense = parser.isSet(inverse) ? Sense::Inverse : Sense::Normal;
    const ListingForm form = parser.isSet(leadingZero) ? ListingForm::LeadingZero : ListingForm::Designed;
    int status = Converted;
    for (const QString &input : inputs)
        status = std::max<int>(status, parser.isSet(toBitmap) ? listingToBitmap(io, input, target)
                                                              : convertOne(io, input, chosen, sense, form, target));
    return status;
}
