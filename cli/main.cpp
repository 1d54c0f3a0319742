// dotpress-convert: the headless converter, for build systems.
// Converts each 240 x 64, 1-bit bitmap named on the command line into its DB
// listing, byte for byte the one the window writes (with --leading-zero, the
// form assemblers take), or into a C header or the bare bytes; with a
// preparation option, any other picture fitted, thresholded or dithered for
// the module; with --to-bitmap, listings back into bitmaps.
//
// File names are taken as the bytes the system gave, for opening and for
// naming outputs alike; messages show the bytes that are not UTF-8 escaped.

#include "anypicture.h"
#include "bitmapfile.h"
#include "encoder.h"
#include "listingformat.h"
#include "listingreader.h"
#include "outputfile.h"
#include "outputformats.h"
#include "outputnaming.h"
#include "version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Status { Converted = 0, Refused = 1, Failed = 2 };

enum class Format { Asm, C, Bin };

const QByteArray StandardStream = "-";

// A file as the system knows it, links followed: two spellings of one file
// have the same identity.
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &) const = default;
};

std::optional<FileId> IdOf(const QByteArray &path)
{
    struct stat status;
    const bool found = path == StandardStream ? ::fstat(STDIN_FILENO, &status) == 0
                                              : ::stat(path.constData(), &status) == 0;
    if (!found)
        return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

// A name for messages: UTF-8 as it is, any other byte as \xHH.
QString Readable(const QByteArray &name)
{
    QString text;
    for (qsizetype at = 0; at < name.size();) {
        const auto lead = std::uint8_t(name[at]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArray sequence = name.mid(at, length);
        const QString decoded = QString::fromUtf8(sequence);
        if (lead >= 0xC2 && lead <= 0xF4 && decoded.toUtf8() == sequence && !decoded.contains(QChar::ReplacementCharacter)) {
            text += decoded;
            at += length;
        } else if (lead < 0x80) {
            text += QLatin1Char(char(lead));
            ++at;
        } else {
            text += QStringLiteral("\\x%1").arg(lead, 2, 16, QLatin1Char('0'));
            ++at;
        }
    }
    return text;
}

class Converter
{
public:
    Format format = Format::Asm;
    Sense sense = Sense::Normal;
    ListingForm form = ListingForm::Designed;
    QByteArray target; // -o, empty for beside each input
    std::optional<Preparation> preparation; // how any other picture is prepared; none: refused
    bool show = false; // the dots in braille after each path

    // Converts every input, bitmaps or with toBitmap listings; the highest status wins.
    int run(const std::vector<QByteArray> &inputs, bool toBitmap)
    {
        for (const QByteArray &input : inputs)
            if (const std::optional<FileId> id = IdOf(input))
                m_inputs.push_back({*id, input});
        int status = Converted;
        for (const QByteArray &input : inputs)
            status = std::max<int>(status, toBitmap ? listingToBitmap(input) : convert(input));
        return status;
    }

private:
    Status fail(const QByteArray &input, const QString &reason)
    {
        m_err << Readable(input) << ": " << reason << Qt::endl;
        return Failed;
    }

    // Opens an input once, for reading from its start: "-" is standard input.
    bool open(const QByteArray &input, QFile &file, QString &reason)
    {
        const int fd = input == StandardStream ? STDIN_FILENO
                                               : ::open(input.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            reason = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        const auto handle = input == StandardStream ? QFileDevice::DontCloseHandle : QFileDevice::AutoCloseHandle;
        if (!file.open(fd, QIODevice::ReadOnly, handle)) {
            reason = file.errorString();
            return false;
        }
        return true;
    }

    // Writes bytes made from input to path ("-" is standard output) and
    // prints the path written, with show the dots in braille. Nothing is
    // written over an input of the run, nor over an output this run has
    // written already.
    Status write(const QByteArray &input, const QByteArray &path, QByteArrayView bytes, QByteArrayView dots)
    {
        if (path == StandardStream) {
            const WriteResult written = WriteAll(STDOUT_FILENO, bytes);
            return written.ok ? Converted : fail(input, QStringLiteral("cannot write to standard output: ") + written.error);
        }
        const auto cannot = [&](const QString &reason) {
            return fail(input, QStringLiteral("cannot write %1: %2").arg(Readable(path), reason));
        };
        if (const std::optional<FileId> id = IdOf(path)) {
            for (const auto &[other, name] : m_inputs)
                if (other == *id)
                    return cannot(name == input ? QStringLiteral("output is the input")
                                                : QStringLiteral("output is the input ") + Readable(name));
            for (const auto &[other, name] : m_written)
                if (other == *id)
                    return cannot(QStringLiteral("already written from ") + Readable(name));
        }
        const WriteResult written = WriteOutputFile(path, bytes);
        if (!written.ok)
            return cannot(written.error);
        if (const std::optional<FileId> id = IdOf(path))
            m_written.push_back({*id, input});
        const WriteResult printed = WriteAll(STDOUT_FILENO, path + '\n' + (show ? BrailleText(dots) : QByteArray()));
        return printed.ok ? Converted : fail(input, QStringLiteral("cannot write to standard output: ") + printed.error);
    }

    Status convert(const QByteArray &bitmap)
    {
        QFile file;
        QString reason;
        if (!open(bitmap, file, reason))
            return fail(bitmap, QStringLiteral("cannot open: ") + reason);
        const BitmapFile read = ReadBitmapFile(file);
        if (!read.ok())
            return fail(bitmap, QStringLiteral("cannot read: ") + read.error);
        QByteArray bytes;
        const bool normal = sense == Sense::Normal;
        QByteArrayView lit = normal ? "Normal: dots of palette entry 0 lit." : "Inverse: dots of palette entry 1 lit.";
        if (IsAdmitted(read.headers)) {
            // Converted as the window converts it, whatever the options.
            const DecodedPicture picture = DecodeBitmap(read);
            if (!picture.ok())
                return fail(bitmap, picture.error);
            bytes = EncodePixels(picture, SetScanBounds(read.headers), OnColour(picture.palette, sense));
        } else if (!preparation) {
            m_err << Readable(bitmap) << ": " << RefusalText() << Qt::endl
                  << Readable(bitmap) << ": any other picture is prepared for the module with --fit "
                  << "(or --threshold, --dither, --background)" << Qt::endl;
            return Refused;
        } else {
            const GreyPicture any = DecodeAnyPicture(file, read.bytes, *preparation);
            if (!any.ok())
                return fail(bitmap, any.error);
            // The prepared dots are black on white; Inverse lights the white ones.
            const RgbColour on = normal ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
            bytes = EncodePixels(PrepareGreys(any.greys, any.width, any.height, *preparation), {0, LcdWidth - 1, 0, LcdHeight - 1}, on);
            lit = normal ? "Prepared: the dark dots lit." : "Prepared, inverse: the light dots lit.";
        }

        const char *extension = format == Format::C ? ".h" : format == Format::Bin ? ".bin" : ".txt";
        const QByteArray formed = OutputPathBeside(bitmap, extension);
        const QByteArray path = target.isEmpty() ? formed : target;
        switch (format) {
        case Format::Asm:
            return write(bitmap, path, FormatListing(bytes, form), bytes);
        case Format::C: {
            // Standard output has no name: the identifier is the formed file's.
            const QByteArray named = path == StandardStream ? formed : path;
            const QString fileName = QString::fromUtf8(named.mid(named.lastIndexOf('/') + 1));
            return write(bitmap, path, FormatCArray(bytes, CIdentifier(fileName), lit), bytes);
        }
        case Format::Bin:
            return write(bitmap, path, bytes, bytes);
        }
        return Failed;
    }

    // A listing read as the LCD preview reads it, written back as a bitmap; a
    // field written with a leading zero (--leading-zero) reads as its last two digits.
    Status listingToBitmap(const QByteArray &listing)
    {
        QFile file;
        QString reason;
        if (!open(listing, file, reason))
            return fail(listing, QStringLiteral("cannot open: ") + reason);
        LcdDots dots;
        const ListingReadResult read = ReadListing(file, dots, ListingForm::LeadingZero);
        if (!read.ok())
            return fail(listing, read.describe());
        if (dots.drawnCount() < LcdDots::Count)
            return fail(listing, QStringLiteral("the listing gives %1 of %2 dots")
                                     .arg(dots.drawnCount()).arg(LcdDots::Count));
        const QByteArray path = target.isEmpty() ? BitmapPathForListing(listing) : target;
        const QByteArrayView bytes(dots.bytes().data(), qsizetype(dots.bytes().size()));
        return write(listing, path, EncodeBitmap(bytes), bytes);
    }

    QTextStream m_err{stderr};
    std::vector<std::pair<FileId, QByteArray>> m_inputs;  // every input of the run that exists
    std::vector<std::pair<FileId, QByteArray>> m_written; // the outputs written, and from which input
};

int UsageError(const QString &message)
{
    QTextStream(stderr) << "dotpress-convert: " << message << " (see --help)" << Qt::endl;
    return Failed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dotpress-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DOTPRESS_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts 240 x 64, 1-bit BMP files, and with a preparation option (--fit, --threshold,\n"
        "--dither, --background) any picture, into the 1920 bytes of a graphic LCD module:\n"
        "a DB listing lcd_NAME.txt beside each input, a C header or the bytes alone.\n"
        "With --to-bitmap, turns listings back into bitmaps. An input - is standard input."));
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
                                    QStringLiteral("Write to FILE instead (- for standard output); only with one input. "
                                                   "A FILE that is a device or a named pipe is written into."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption fit(QStringLiteral("fit"),
                                 QStringLiteral("Prepare any other picture (PNG, JPEG, GIF, any BMP, PBM/PGM/PPM, XBM, XPM, "
                                                "ICO, TIFF, WebP, SVG; up to 67108864 pixels, 8192 x 8192) for the module: "
                                                "contain (the default: all of it, centred, "
                                                "margins of the background), cover (filled, the overflow cut on both "
                                                "sides) or stretch. A 240 x 64, 1-bit BMP is always converted as it is."),
                                 QStringLiteral("contain|cover|stretch"), QStringLiteral("contain"));
    const QCommandLineOption threshold(QStringLiteral("threshold"),
                                       QStringLiteral("Prepare, lighting a dot whose grey (0 black to 255 white) is below T; "
                                                      "without a dither, 0 lights nothing and 256 everything. Default 128."),
                                       QStringLiteral("T"), QStringLiteral("128"));
    const QCommandLineOption dither(QStringLiteral("dither"),
                                    QStringLiteral("Prepare, spreading the greys over the dots: none (the default: the "
                                                   "threshold alone), floyd-steinberg, atkinson, bayer4 or bayer8."),
                                    QStringLiteral("METHOD"), QStringLiteral("none"));
    const QCommandLineOption background(QStringLiteral("background"),
                                        QStringLiteral("Prepare, with white (the default) or black under transparent pixels "
                                                       "and in the margins."),
                                        QStringLiteral("white|black"), QStringLiteral("white"));
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("After each path, print the 240 x 64 dots as 16 lines of 120 braille "
                                                 "characters, a lit dot raised. Not with -o -."));
    parser.addOptions({inverse, format, leadingZero, toBitmap, output, fit, threshold, dither, background, show});
    parser.addPositionalArgument(QStringLiteral("BITMAP"),
                                 QStringLiteral("The bitmaps (or pictures) to convert, or with --to-bitmap the listings."),
                                 QStringLiteral("BITMAP... | --to-bitmap LISTING..."));

    // Each argument's bytes one to one as Latin-1, so that a name that is
    // not UTF-8 comes back from the parser as it was given.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLatin1(argv[i]);
    // parse() rather than process(): a bad command line is a failure (2), not a refusal (1).
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    const QString formatName = parser.value(format);
    const QStringList formatNames{QStringLiteral("asm"), QStringLiteral("c"), QStringLiteral("bin")};
    if (!formatNames.contains(formatName))
        return UsageError(QStringLiteral("unknown format '%1': asm, c or bin").arg(formatName));
    const bool preparing = parser.isSet(fit) || parser.isSet(threshold) || parser.isSet(dither) || parser.isSet(background);
    if (parser.isSet(toBitmap) && (parser.isSet(format) || parser.isSet(inverse) || preparing))
        return UsageError(QStringLiteral("--to-bitmap takes neither --format nor --inverse nor a preparation option"));
    const QStringList fits{QStringLiteral("contain"), QStringLiteral("cover"), QStringLiteral("stretch")};
    const QStringList dithers{QStringLiteral("none"), QStringLiteral("floyd-steinberg"), QStringLiteral("atkinson"),
                              QStringLiteral("bayer4"), QStringLiteral("bayer8")};
    const QStringList backgrounds{QStringLiteral("white"), QStringLiteral("black")};
    bool thresholdRead = false;
    const int thresholdValue = parser.value(threshold).toInt(&thresholdRead);
    if (!fits.contains(parser.value(fit)) || !dithers.contains(parser.value(dither))
        || !backgrounds.contains(parser.value(background)) || !thresholdRead || thresholdValue < 0 || thresholdValue > 256)
        return UsageError(QStringLiteral("--fit takes contain, cover or stretch; --dither none, floyd-steinberg, atkinson, "
                                         "bayer4 or bayer8; --background white or black; --threshold 0 to 256"));
    if (parser.isSet(show) && parser.value(output) == QLatin1String("-"))
        return UsageError(QStringLiteral("--show prints beside the paths written; not with -o -"));
    if (parser.isSet(leadingZero) && (parser.isSet(toBitmap) || formatName != QLatin1String("asm")))
        return UsageError(QStringLiteral("--leading-zero is for writing asm listings only"));

    std::vector<QByteArray> inputs;
    for (const QString &input : parser.positionalArguments())
        inputs.push_back(input.toLatin1());
    if (inputs.empty())
        return UsageError(parser.isSet(toBitmap) ? QStringLiteral("no listing given") : QStringLiteral("no bitmap given"));
    if (!parser.isSet(output) && std::find(inputs.begin(), inputs.end(), StandardStream) != inputs.end())
        return UsageError(QStringLiteral("standard input (-) has no name to form an output's from: give -o"));
    Converter converter;
    converter.target = parser.value(output).toLatin1();
    if (parser.isSet(output) && (converter.target.isEmpty() || inputs.size() != 1))
        return UsageError(QStringLiteral("-o takes a file name and exactly one input"));
    converter.format = Format(formatNames.indexOf(formatName));
    converter.sense = parser.isSet(inverse) ? Sense::Inverse : Sense::Normal;
    converter.form = parser.isSet(leadingZero) ? ListingForm::LeadingZero : ListingForm::Designed;
    converter.show = parser.isSet(show);
    if (preparing)
        converter.preparation = Preparation{Fit(fits.indexOf(parser.value(fit))), Background(backgrounds.indexOf(parser.value(background))),
                                            thresholdValue, Dither(dithers.indexOf(parser.value(dither)))};
    return converter.run(inputs, parser.isSet(toBitmap));
}
