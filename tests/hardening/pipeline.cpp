#include "pipeline.h"

#include "bitmapheaders.h"
#include "decodedpicture.h"

#include "bmpfixture.h"

#include <QDir>
#include <QProcess>

#include <array>
#include <cstdio>

namespace {

// The pattern of every group of eight pixels in a band ('#' = palette entry
// 0, lit in Normal) and the field each byte of the band's lines reads.
struct Band
{
    const char *pattern;
    const char *normal;
    const char *inverse;
};

constexpr std::array<Band, 16> Bands{{
    {"#.......", "01H", "FEH"}, {".......#", "80H", "7FH"}, {"####....", "0FH", "F0H"},
    {"....####", "F0H", "0FH"}, {"#.#.#.#.", "55H", "AAH"}, {".#.#.#.#", "AAH", "55H"},
    {"##..##..", "33H", "CCH"}, {"..##..##", "CCH", "33H"}, {"..####..", "3CH", "C3H"},
    {"##....##", "C3H", "3CH"}, {"#......#", "81H", "7EH"}, {".######.", "7EH", "81H"},
    {"...##...", "18H", "E7H"}, {"###..###", "E7H", "18H"}, {"#...#...", "11H", "EEH"},
    {".###.###", "EEH", "11H"},
}};

constexpr int RowsPerBand = 4;
constexpr int LinesPerBand = 15; // 4 rows x 30 bytes / 8 bytes a line

} // namespace

PathOutcome ConvertInProcess(const QString &bitmapPath, const QString &listingPath, Sense sense)
{
    PathOutcome outcome;
    BitmapHeaders headers;
    PaletteColours palette;
    const HeaderReadResult read = ReadBitmapHeaders(bitmapPath, headers, palette);
    if (!read.ok) {
        outcome.message = read.error;
        return outcome;
    }
    if (!IsAdmitted(headers)) {
        outcome.ending = Ending::Refused;
        outcome.message = RefusalText();
        return outcome;
    }
    const DecodedPicture picture = DecodeBitmapFile(bitmapPath, headers, palette);
    const std::optional<ScanBounds> bounds = SetScanBounds(headers);
    if (!picture.ok() || !bounds) {
        outcome.message = bounds ? picture.error : QStringLiteral("scan bounds out of range");
        return outcome;
    }
    const ConversionResult converted = ConvertPicture(picture, headers, *bounds, palette, sense, listingPath);
    outcome.message = converted.ok() || !converted.error.isEmpty() ? converted.error : QStringLiteral("not converted");
    outcome.ending = converted.ok() ? Ending::Converted : Ending::Failed;
    outcome.listing = converted.ok() ? ReadFileOrEmpty(listingPath) : QByteArray();
    return outcome;
}

QString ConverterPath()
{
    return QStringLiteral(DOTPRESS_CONVERT);
}

ConverterRun RunConverter(const QStringList &arguments, const std::function<void()> &childSetup,
                          const QString &program)
{
    ConverterRun run;
    QProcess process;
    if (childSetup)
        process.setChildProcessModifier(childSetup);
    process.start(program, arguments);
    run.finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = run.finished ? process.exitCode() : -1;
    process.kill();
    process.waitForFinished();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QStringList EntriesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString BmpsuitePath(const std::string &relative)
{
    return QStringLiteral(DOTPRESS_BMPSUITE_DIR "/") + QString::fromStdString(relative);
}

std::vector<std::string> BmpsuiteFiles()
{
    std::vector<std::string> files;
    for (const char *folder : {"g", "q", "b"}) {
        const QDir dir(BmpsuitePath(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name))
            files.push_back(std::string(folder) + "/" + name.toStdString());
    }
    return files;
}

QByteArray BandedBmp(int infoSize, int clrUsed)
{
    BmpLayout layout;
    layout.infoSize = infoSize;
    layout.clrUsed = clrUsed;
    layout.index = [](int x, int y) { return Bands[std::size_t(y / RowsPerBand)].pattern[x % 8] == '#' ? 0 : 1; };
    return MakeBmp(layout);
}

QByteArray BandedListing(Sense sense)
{
    QByteArray listing;
    for (const Band &band : Bands)
        listing += (RepeatedLine(sense == Sense::Normal ? band.normal : band.inverse) + "\r\n").repeated(LinesPerBand);
    return listing;
}

QByteArray WithField(QByteArray bytes, int offset, int size, std::int64_t value)
{
    PokeLe(bytes, offset, size, value);
    return bytes;
}

QuietDecoderWarnings::QuietDecoderWarnings()
    : previous(qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
          if (type == QtCriticalMsg || type == QtFatalMsg)
              std::fprintf(stderr, "%s\n", qPrintable(text));
      }))
{
}

QuietDecoderWarnings::~QuietDecoderWarnings()
{
    qInstallMessageHandler(previous);
}
