// dotpress-convert: the headless converter, for build systems.
// Converts each 240 x 64, 1-bit bitmap named on the command line into its DB
// listing, byte for byte the one the window writes.

#include "bitmapheaders.h"
#include "decodedpicture.h"
#include "encoder.h"
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

Status convertOne(Output &io, const QString &bitmap, Sense sense, const QString &target)
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

    if (target == QLatin1String("-")) {
        QByteArray listing;
        EncodeRows(source, *bounds, OnColour(palette, sense), listing);
        io.out.flush();
        QFile standardOutput;
        if (!standardOutput.open(stdout, QIODevice::WriteOnly)
            || standardOutput.write(listing) != listing.size() || !standardOutput.flush())
            return fail(io, bitmap, QStringLiteral("cannot write to standard output: ")
                                        + standardOutput.errorString());
        return Converted;
    }

    const QFileInfo info(bitmap);
    const QString path = target.isEmpty() ? FormOutputPath(info.path(), info.fileName()) : target;
    const ConversionResult result = ConvertPicture(source, headers, *bounds, palette, sense, path);
    if (!result.ok())
        return fail(io, bitmap, QStringLiteral("cannot write %1: %2").arg(nativePath(path), result.error));
    io.out << nativePath(path) << Qt::endl;
    return Converted;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dotpress-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts 240 x 64, 1-bit BMP files into DB listings (lcd_NAME.txt beside each bitmap)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption inverse(QStringLiteral("inverse"),
                                     QStringLiteral("Light the pixels of the second palette colour instead of the first."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the listing to FILE (- for standard output); only with one bitmap."),
                                    QStringLiteral("FILE"));
    parser.addOption(inverse);
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("BITMAP"), QStringLiteral("The bitmaps to convert."),
                                 QStringLiteral("BITMAP..."));
    parser.process(app);

    const QStringList bitmaps = parser.positionalArguments();
    Output io;
    if (bitmaps.isEmpty()) {
        io.err << "dotpress-convert: no bitmap given (see --help)" << Qt::endl;
        return Failed;
    }
    const QString target = parser.value(output);
    if (parser.isSet(output) && (target.isEmpty() || bitmaps.size() != 1)) {
        io.err << "dotpress-convert: -o takes a file name and exactly one bitmap" << Qt::endl;
        return Failed;
    }

    const Sense sense = parser.isSet(inverse) ? Sense::Inverse : Sense::Normal;
    int status = Converted;
    for (const QString &bitmap : bitmaps)
        status = std::max<int>(status, convertOne(io, bitmap, sense, target));
    return status;
}
