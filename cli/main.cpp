// dotpress-convert: the headless converter, for build systems.
// Converts each 1-bit bitmap of the module's size (240 x 64 unless --size
// says otherwise) named on the command line into its bytes in the chosen
// layout, written as a DB listing (byte for byte the one the window writes
// for the designed module; with --leading-zero, the form assemblers take), a
// C header or the bare bytes; with a preparation option, any other picture
// fitted, thresholded or dithered for the module; with --to-bitmap, listings
// back into bitmaps; with --font, a font's glyph table, or a text set in it
// converted as a picture.
//
// File names are taken as the bytes the system gave, for opening and for
// naming outputs alike; messages show the bytes that are not UTF-8 escaped.

#include "anypicture.h"
#include "bitmapfile.h"
#include "bytelayout.h"
#include "charlist.h"
#include "dotgrid.h"
#include "encoder.h"
#include "fontreader.h"
#include "glyphtables.h"
#include "listingformat.h"
#include "listingreader.h"
#include "outputfile.h"
#include "outputformats.h"
#include "outputnaming.h"
#include "pictureframes.h"
#include "version.h"

#include <QBuffer>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Status { Converted = 0, Refused = 1, Failed = 2 };

enum class Format { Asm, C, Bin, Png, GfxFont };

// One value of an option that takes a word: the word, what it stands for in
// the code, and its help.
template <typename T>
struct Choice
{
    const char *word;
    T value;
    const char *help;
};

// The words of each such option, the default first. --help, the parsing and
// the messages all come from these tables.
constexpr Choice<Format> Formats[] = {
    {"asm", Format::Asm, "the DB listing lcd_NAME.txt"},
    {"c", Format::C, "a C header lcd_NAME.h with the array lcd_NAME[N]"},
    {"bin", Format::Bin, "the bytes alone, lcd_NAME.bin"},
    {"png", Format::Png, "a 1-bit PNG of the dots, lit black, lcd_NAME.png (with --font, a specimen of the glyphs)"},
    {"gfxfont", Format::GfxFont, "with --font, an Adafruit GFXfont header font_NAME.h"},
};
constexpr Choice<ByteLayout> Layouts[] = {
    {"rows-lsb", ByteLayout::RowsLsb, "rows from the top, 8 dots of a row a byte, the leftmost in bit 0 (the window's)"},
    {"rows-msb", ByteLayout::RowsMsb, "the same with the leftmost dot in bit 7 (T6963C, ST7920, raw PBM)"},
    {"pages-lsb", ByteLayout::PagesLsb,
     "pages of 8 rows from the top, a byte a column from the left, the top dot in bit 0 (SSD1306, SH1106, KS0108, "
     "ST7565, PCD8544)"},
    {"pages-msb", ByteLayout::PagesMsb, "the same with the top dot in bit 7"},
};
constexpr Choice<Fit> Fits[] = {
    {"contain", Fit::Contain, "all of it, centred, margins of the background"},
    {"cover", Fit::Cover, "filled, the overflow cut on both sides alike"},
    {"stretch", Fit::Stretch, "scaled to the module's size"},
    {"none", Fit::None, "laid 1:1, unscaled, the part outside the module cut"},
};
constexpr Choice<Align> Aligns[] = {
    {"center", Align::Center, ""},       {"top", Align::Top, ""},
    {"bottom", Align::Bottom, ""},       {"left", Align::Left, ""},
    {"right", Align::Right, ""},         {"top-left", Align::TopLeft, ""},
    {"top-right", Align::TopRight, ""},  {"bottom-left", Align::BottomLeft, ""},
    {"bottom-right", Align::BottomRight, ""},
};
constexpr Choice<Rotation> Rotations[] = {
    {"0", Rotation::None, ""},
    {"90", Rotation::Quarter, ""},
    {"180", Rotation::Half, ""},
    {"270", Rotation::ThreeQuarters, ""},
};
constexpr Choice<Flip> Flips[] = {
    {"none", Flip::None, ""},
    {"horizontal", Flip::Horizontal, "left and right swapped"},
    {"vertical", Flip::Vertical, "top and bottom swapped"},
};
constexpr Choice<Dither> Dithers[] = {
    {"none", Dither::None, "the threshold alone"},
    {"floyd-steinberg", Dither::FloydSteinberg, "error diffusion"},
    {"atkinson", Dither::Atkinson, "error diffusion, lighter"},
    {"bayer4", Dither::Bayer4, "ordered, 4 x 4"},
    {"bayer8", Dither::Bayer8, "ordered, 8 x 8"},
};
constexpr Choice<Background> Backgrounds[] = {
    {"white", Background::White, ""},
    {"black", Background::Black, ""},
};

// An option that takes one of a table's words.
template <typename T>
struct WordOption
{
    const char *name;                // "dither"
    const char *noun;                // "method": "--dither: unknown method 'x'"
    const char *intro;               // the help before the words
    const char *valueName;           // in --help; the words themselves when null
    std::span<const Choice<T>> choices;

    QString words(const char *between) const
    {
        QStringList list;
        for (const Choice<T> &choice : choices)
            list << QLatin1String(choice.word);
        return list.join(QLatin1String(between));
    }
    QCommandLineOption option() const
    {
        QStringList help;
        bool explained = false;
        for (const Choice<T> &choice : choices) {
            explained = explained || *choice.help;
            help << (*choice.help ? QStringLiteral("%1, %2").arg(QLatin1String(choice.word), QLatin1String(choice.help))
                                  : QLatin1String(choice.word));
        }
        return QCommandLineOption(QLatin1String(name),
                                  QStringLiteral("%1: %2 (default %3).")
                                      .arg(QLatin1String(intro), help.join(QLatin1String(explained ? "; " : ", ")),
                                           QLatin1String(choices.front().word)),
                                  valueName ? QLatin1String(valueName) : words("|"), QLatin1String(choices.front().word));
    }
    // The value of word, or the message for a word that is none of the table's.
    std::optional<T> parse(const QString &word, QString &message) const
    {
        for (const Choice<T> &choice : choices)
            if (word == QLatin1String(choice.word))
                return choice.value;
        message = QStringLiteral("--%1: unknown %2 '%3' (%4)")
                      .arg(QLatin1String(name), QLatin1String(noun), word, words(", "));
        return std::nullopt;
    }
};

constexpr WordOption<Format> FormatOption{"format", "format", "What to write", nullptr, Formats};
constexpr WordOption<ByteLayout> LayoutOption{"layout", "layout", "How the dots lie in the bytes", "LAYOUT", Layouts};
constexpr WordOption<Fit> FitOption{
    "fit", "fit",
    "Prepare any picture (PNG, JPEG, GIF, BMP, PBM/PGM/PPM, XBM, XPM, ICO, TIFF, WebP, SVG; up to 67108864 pixels, "
    "8192 x 8192, the one limit, but from a pipe a format other than JPEG, PNG and GIF at most 256 MiB), fitted to "
    "the module",
    "FIT", Fits};
constexpr WordOption<Align> AlignOption{
    "align", "alignment", "Prepare, with the fitted picture placed on the module (under cover and none, the part kept)",
    "WHERE", Aligns};
constexpr WordOption<Rotation> RotateOption{
    "rotate", "angle", "Turn the picture clockwise before anything else, a bitmap of the module's size too", nullptr,
    Rotations};
constexpr WordOption<Flip> FlipOption{"flip", "flip", "Then flip it", "horizontal|vertical", Flips};
constexpr WordOption<Dither> DitherOption{"dither", "method", "Prepare, spreading the greys over the dots", "METHOD",
                                          Dithers};
constexpr WordOption<Background> BackgroundOption{
    "background", "background", "Prepare, with this under transparent pixels and in the margins", nullptr,
    Backgrounds};

// The output's extension for each format.
const char *Extension(Format format)
{
    switch (format) {
    case Format::Asm:
        return ".txt";
    case Format::C:
    case Format::GfxFont:
        return ".h";
    case Format::Bin:
        return ".bin";
    case Format::Png:
        return ".png";
    }
    return ".txt";
}

// The word of a value in its table.
template <typename T>
QString WordOf(std::span<const Choice<T>> choices, T value)
{
    for (const Choice<T> &choice : choices)
        if (choice.value == value)
            return QLatin1String(choice.word);
    return {};
}

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

// What the command line asks of a font.
struct FontOptions
{
    FontRequest request;                    // its codes from --chars, or --text's
    QByteArray charsFile;                   // more codes from this text
    bool fixed = false;
    std::optional<std::vector<char32_t>> text; // set as a picture, prepared as preparation says
    Preparation preparation;
};

// What the command line asks for.
struct Options
{
    Format format = Format::Asm;
    ByteLayout layout = ByteLayout::RowsLsb;
    DotSize size = LcdSize;
    Turn turn;
    Sense sense = Sense::Normal;
    ListingForm listingForm = ListingForm::Designed;
    CStorage storage = CStorage::Plain; // --progmem: the C arrays in AVR's flash
    QByteArray target; // -o, empty for beside each input
    std::optional<Preparation> preparation; // how any other picture is prepared; none: refused
    QStringList preparationOptions;        // those given, "--fit" ..., for the note on admitted bitmaps
    bool show = false;    // the dots in braille after each path
    bool toBitmap = false;
    std::optional<FontOptions> font; // the input is a font
    bool frames = false;           // every frame of every input into one output
    unsigned long stillDelay = 0; // with frames, the milliseconds of a still picture's frame
};

// An input turned into dots, or the status it ends with.
struct InputDots
{
    Status status = Converted;
    DotGrid dots;
    QByteArray senseNote; // which dots are lit, a sentence for the C header
};

// Where every frame of an input's picture goes, and the whole file once read
// (null until then): read from there again, not from the input.
struct FramesTarget
{
    FrameSink sink;
    QByteArray contents;
};

class Converter
{
public:
    explicit Converter(const Options &options) : m_options(options) {}

    // Converts every input, pictures or with toBitmap listings; the highest status wins.
    int run(const std::vector<QByteArray> &inputs)
    {
        for (const QByteArray &input : inputs)
            if (const std::optional<FileId> id = IdOf(input))
                m_inputs.push_back({*id, input});
        if (m_options.frames)
            return convertFrames(inputs);
        int status = Converted;
        for (const QByteArray &input : inputs)
            status = std::max<int>(status, m_options.toBitmap ? listingToBitmap(input)
                                           : m_options.font   ? convertFont(input)
                                                              : convert(input));
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
    Status write(const QByteArray &input, const QByteArray &path, QByteArrayView bytes, const DotGrid &dots)
    {
        return writeShown(input, path, bytes, m_options.show ? BrailleText(dots) : QByteArray());
    }

    // The same, with show printing shown after the path.
    Status writeShown(const QByteArray &input, const QByteArray &path, QByteArrayView bytes, const QByteArray &shown)
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
        const WriteResult printed = WriteAll(STDOUT_FILENO, path + '\n' + shown);
        return printed.ok ? Converted : fail(input, QStringLiteral("cannot write to standard output: ") + printed.error);
    }

    // Input to dots: a 1-bit bitmap of the module's size as it is, any other
    // picture prepared, or refused without a preparation option. With frames,
    // every frame of any other picture goes to frames' sink instead, and no
    // dots are returned.
    InputDots dotsOf(const QByteArray &input, FramesTarget *frames = nullptr)
    {
        QFile opened;
        QBuffer kept;
        const bool again = frames && !frames->contents.isNull();
        QIODevice &file = again ? static_cast<QIODevice &>(kept) : opened;
        if (again) {
            kept.setData(frames->contents);
            kept.open(QIODevice::ReadOnly);
        }
        QString reason;
        if (!again && !open(input, opened, reason))
            return {fail(input, QStringLiteral("cannot open: ") + reason)};
        // A bitmap taken as it is: the module's size once turned.
        const DotSize unturned = TurnedSize(m_options.size, m_options.turn);
        const BitmapFile read = ReadBitmapFile(file, unturned);
        if (!read.ok())
            return {fail(input, QStringLiteral("cannot read: ") + read.error)};
        const bool normal = m_options.sense == Sense::Normal;
        if (IsAdmitted(read.headers, unturned)) {
            // Converted as the window converts it, whatever the options.
            const DecodedPicture picture = DecodeBitmap(read);
            if (!picture.ok())
                return {fail(input, picture.error)};
            if (!m_options.preparationOptions.isEmpty())
                m_err << Readable(input) << ": a " << m_options.size.width << " x " << m_options.size.height
                      << ", 1-bit bitmap is converted as it is: " << m_options.preparationOptions.join(QLatin1String(", "))
                      << (m_options.preparationOptions.size() == 1 ? " does" : " do") << " not apply" << Qt::endl;
            const DotGrid dots = ScanDots(picture, ScanBoundsFor(read.headers), OnColour(picture.palette, m_options.sense));
            return {Converted, TurnDots(dots, m_options.turn),
                    normal ? "Normal: dots of palette entry 0 lit." : "Inverse: dots of palette entry 1 lit."};
        }
        if (!m_options.preparation) {
            for (const QString &line : RefusalText(m_options.size).split(QLatin1String("\r\n")))
                m_err << Readable(input) << ": " << line.trimmed() << Qt::endl;
            if (!(unturned == m_options.size))
                m_err << Readable(input) << ": turned by --rotate, a bitmap of " << unturned.width << " x "
                      << unturned.height << " would fit" << Qt::endl;
            m_err << Readable(input) << ": any other picture is prepared for the module with --fit "
                  << "(or --threshold, --dither, --background, --align)" << Qt::endl;
            return {Refused};
        }
        const Preparation &how = *m_options.preparation;
        if (frames) {
            QByteArray bytes = again ? frames->contents : read.bytes;
            QString error = again ? QString() : ReadHeldInput(file, bytes, QStringLiteral("with --frames, a picture"));
            frames->contents = bytes;
            if (error.isEmpty())
                error = DecodeFrames(bytes, how, m_options.size, m_options.turn, frames->sink);
            return {error.isEmpty() ? Converted : fail(input, error)};
        }
        PreparedPicture any = PrepareAnyPicture(file, read.bytes, how, m_options.size, m_options.turn);
        if (!any.ok())
            return {fail(input, any.error)};
        return finish(input, std::move(any.prepared), how);
    }

    // Greys of width x height prepared for the module as how says.
    InputDots prepare(const QByteArray &input, std::vector<std::uint8_t> greys, int width, int height, const Preparation &how)
    {
        return finish(input, PrepareGreys(std::move(greys), width, height, how, m_options.size, m_options.turn), how);
    }

    // Prepared dots as the input's: the threshold told when it was worked out.
    InputDots finish(const QByteArray &input, PreparedDots prepared, const Preparation &how)
    {
        if (how.autoThreshold)
            m_err << Readable(input) << ": threshold " << prepared.threshold << Qt::endl;
        // Prepared, the dark dots are lit; Inverse lights the light ones.
        const bool normal = m_options.sense == Sense::Normal;
        if (!normal)
            prepared.dots.invert();
        return {Converted, prepared.dots,
                normal ? "Prepared: the dark dots lit." : "Prepared, inverse: the light dots lit."};
    }

    // Dots to bytes in the chosen layout and format, written to formed or
    // where -o says.
    Status writeDots(const QByteArray &input, const InputDots &in, const QByteArray &formed)
    {
        const QByteArray path = m_options.target.isEmpty() ? formed : m_options.target;
        const QByteArray bytes = PackDots(in.dots, m_options.layout);
        switch (m_options.format) {
        case Format::Asm:
            return write(input, path, FormatListing(bytes, m_options.listingForm), in.dots);
        case Format::C:
            return write(input, path,
                         FormatCArray(bytes, identifierOf(path, formed), in.dots.size(), m_options.layout, in.senseNote,
                                      m_options.storage),
                         in.dots);
        case Format::Bin:
            return write(input, path, bytes, in.dots);
        case Format::Png:
            return write(input, path, EncodePng(in.dots), in.dots);
        case Format::GfxFont:
            break;
        }
        return Failed;
    }

    // Every frame of every input, prepared alike, packed one at a time into
    // one output named after the first input (or as -o says). With an
    // automatic threshold, the frames are gone through twice: first for
    // Otsu's threshold over the greys of all of them, printed once.
    Status convertFrames(const std::vector<QByteArray> &inputs)
    {
        Preparation how = *m_options.preparation;
        std::vector<QByteArray> contents(inputs.size());
        QStringList names;
        for (const QByteArray &input : inputs)
            names << Readable(input);
        if (how.autoThreshold) {
            GreyCounts counts{};
            for (std::size_t i = 0; i < inputs.size(); ++i) {
                FramesTarget target{[&](GreyPicture frame, std::optional<unsigned long>) {
                    const FittedGreys fitted = FitPicture(std::move(frame.greys), frame.width, frame.height, how,
                                                          m_options.size, m_options.turn);
                    CountGreys(fitted.greys, m_options.size, fitted.place, counts);
                }};
                if (const Status status = dotsOf(inputs[i], &target).status; status != Converted)
                    return status;
                contents[i] = std::move(target.contents);
            }
            how.threshold = OtsuThreshold(counts);
            how.autoThreshold = false;
            m_err << names.join(QLatin1String(", ")) << ": threshold " << how.threshold << Qt::endl;
        }
        PackedFrames frames{m_options.size, m_options.layout, {}, {}};
        QByteArray note;
        const auto add = [&](const InputDots &in, std::optional<unsigned long> delay) {
            frames.bytes += PackDots(in.dots, m_options.layout);
            frames.delays.push_back(delay.value_or(m_options.stillDelay));
            note = note.isEmpty() ? in.senseNote : note;
        };
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            FramesTarget target{[&](GreyPicture frame, std::optional<unsigned long> delay) {
                                    add(prepare(inputs[i], std::move(frame.greys), frame.width, frame.height, how), delay);
                                },
                                std::move(contents[i])};
            const InputDots in = dotsOf(inputs[i], &target);
            if (in.status != Converted)
                return in.status;
            if (in.dots.width() > 0)
                add(in, std::nullopt); // a bitmap taken as it is
            if (frames.count() > MaxFrames)
                return fail(inputs[i], QStringLiteral("the frames are more than %1 in all, the most an output may hold").arg(MaxFrames));
        }
        const QByteArray &input = inputs.front();
        const QByteArray formed = OutputPathBeside(input, Extension(m_options.format));
        const QByteArray path = m_options.target.isEmpty() ? formed : m_options.target;
        const QByteArray shown = m_options.show ? FramesBraille(frames) : QByteArray();
        switch (m_options.format) {
        case Format::Asm:
            return writeShown(input, path, FormatFramesListing(frames, m_options.listingForm), shown);
        case Format::C:
            return writeShown(input, path, FormatCFrames(frames, identifierOf(path, formed), note, m_options.storage), shown);
        case Format::Bin:
            return writeShown(input, path, frames.bytes, shown);
        case Format::Png:
            return writeShown(input, path, EncodeFramesPng(frames), shown);
        }
        return Failed;
    }

    // The C identifier of a header written to path, formed beside the input.
    static QString identifierOf(const QByteArray &path, const QByteArray &formed)
    {
        // Standard output has no name: the identifier is the formed file's.
        const QByteArray named = path == StandardStream ? formed : path;
        return CIdentifier(QString::fromUtf8(named.mid(named.lastIndexOf('/') + 1)));
    }

    Status convert(const QByteArray &input)
    {
        const InputDots in = dotsOf(input);
        return in.status == Converted ? writeDots(input, in, OutputPathBeside(input, Extension(m_options.format)))
                                      : in.status;
    }

    // A font read for the codes asked (--chars and --chars-file, or the
    // text's), written as a glyph table or, with a text, as a picture.
    Status convertFont(const QByteArray &input)
    {
        const FontOptions &how = *m_options.font;
        FontRequest request = how.request;
        QString reason;
        if (!how.charsFile.isEmpty()) {
            QFile file;
            if (!open(how.charsFile, file, reason))
                return fail(how.charsFile, QStringLiteral("cannot open: ") + reason);
            const std::optional<std::vector<char32_t>> more = CharsOfText(file.readAll());
            if (!more)
                return fail(how.charsFile, QStringLiteral("--chars-file: the text is not UTF-8"));
            request.codes.insert(request.codes.end(), more->begin(), more->end());
            std::sort(request.codes.begin(), request.codes.end());
            request.codes.erase(std::unique(request.codes.begin(), request.codes.end()), request.codes.end());
        }
        if (request.codes.empty())
            return fail(how.charsFile, QStringLiteral("--chars-file: the text has no character but control characters"));
        QFile file;
        if (!open(input, file, reason))
            return fail(input, QStringLiteral("cannot open: ") + reason);
        const QByteArray bytes = file.read(MaxFontFileBytes + 1);
        if (file.error() != QFileDevice::NoError)
            return fail(input, QStringLiteral("cannot read: ") + file.errorString());
        if (bytes.size() > MaxFontFileBytes)
            return fail(input, QStringLiteral("a font file may have at most %1 bytes").arg(MaxFontFileBytes));
        FontRead read = ReadFont(bytes, request);
        if (!read.ok())
            return fail(input, read.error);
        const QString font = Readable(input);
        if (!how.text) {
            for (const char32_t code : read.missing)
                m_err << CharName(code) << " is not in " << font << '\n';
            m_err.flush();
            if (read.font.glyphs.empty())
                return fail(input, QStringLiteral("none of the characters asked for is in the font"));
        }
        if (how.fixed)
            for (const char32_t code : FixCells(read.font))
                m_err << font << ": " << CharName(code) << " lost dots outside the cell" << Qt::endl;
        const QByteArray formed = FontOutputName(how.text ? "text_" : "font_", input,
                                                 read.outline ? *request.pixels : 0, Extension(m_options.format));
        if (how.text)
            return writeText(input, read.font, formed);
        const QByteArray path = m_options.target.isEmpty() ? formed : m_options.target;
        const bool specimen = m_options.show || m_options.format == Format::Png;
        const DotGrid dots = specimen ? DrawSpecimen(read.font) : DotGrid();
        if (m_options.format == Format::Png)
            return write(input, path, EncodePng(dots), dots);
        const QByteArray named = path == StandardStream ? formed : path;
        const QString identifier = CIdentifier(QString::fromUtf8(named.mid(named.lastIndexOf('/') + 1)));
        const GlyphTable table =
            m_options.format == Format::GfxFont
                ? FormatGfxFont(read.font, identifier, request.codes.front(), request.codes.back())
                : FormatFontTable(read.font, identifier, m_options.layout,
                                  QStringLiteral("%1 glyphs of %2%3.")
                                      .arg(read.font.glyphs.size())
                                      .arg(Readable(input.mid(input.lastIndexOf('/') + 1)))
                                      .arg(read.outline ? QStringLiteral(" at %1 pixels").arg(*request.pixels) : QString())
                                      .toUtf8(),
                                  m_options.storage);
        return table.ok() ? write(input, path, table.text, dots) : fail(input, QString::fromUtf8(table.error));
    }

    // The text set in font into a 1-bit picture, prepared like any picture.
    Status writeText(const QByteArray &input, const FontGlyphs &font, const QByteArray &formed)
    {
        const SetText set = SetLines(font, *m_options.font->text, MaxPicturePixels);
        for (const char32_t code : set.missing)
            m_err << Readable(input) << ": --text: " << CharName(code) << " is not in the font" << Qt::endl;
        if (!set.missing.empty())
            return Failed;
        if (set.dots.width() == 0)
            return fail(input, QStringLiteral("--text: the text set is %1 x %2 dots; a picture may have 1 to %3")
                                   .arg(set.width).arg(set.height).arg(MaxPicturePixels));
        std::vector<std::uint8_t> greys(std::size_t(set.width * set.height));
        for (int y = 0; y < set.dots.height(); ++y)
            for (int x = 0; x < set.dots.width(); ++x)
                greys[std::size_t(y) * std::size_t(set.width) + std::size_t(x)] = set.dots.lit(x, y) ? 0 : 255;
        return writeDots(input, prepare(input, std::move(greys), set.dots.width(), set.dots.height(), m_options.font->preparation),
                         formed);
    }

    // A listing read as the LCD preview reads it, its bytes laid out as the
    // size and layout say, written back as a bitmap; a field written with a
    // leading zero (--leading-zero) reads as its last two digits.
    Status listingToBitmap(const QByteArray &listing)
    {
        QFile file;
        QString reason;
        if (!open(listing, file, reason))
            return fail(listing, QStringLiteral("cannot open: ") + reason);
        // Read as a column of bytes, one a row of eight dots, so that each
        // byte's bit i is dot i; those past the ones needed are counted only.
        const qsizetype needed = ByteCount(m_options.size, m_options.layout);
        DotGrid column(DotSize{8, int(needed)});
        const ListingReadResult read = ReadListing(
            file, 8, std::numeric_limits<int>::max(), [&column](int x, int y, bool on) { column.set(x, y, on); },
            ListingForm::LeadingZero);
        if (!read.ok())
            return fail(listing, read.describe());
        if (read.dots != 8 * qint64(needed))
            return fail(listing, QStringLiteral("the listing gives %1 bytes; %2 x %3 in %4 takes %5")
                                     .arg(read.dots / 8).arg(m_options.size.width).arg(m_options.size.height)
                                     .arg(WordOf<ByteLayout>(Layouts, m_options.layout)).arg(needed));
        const DotGrid dots = UnpackDots(PackDots(column, ByteLayout::RowsLsb), m_options.size, m_options.layout);
        const QByteArray path = m_options.target.isEmpty() ? BitmapPathForListing(listing) : m_options.target;
        return write(listing, path, EncodeBitmap(dots), dots);
    }

    const Options &m_options;
    QTextStream m_err{stderr};
    std::vector<std::pair<FileId, QByteArray>> m_inputs;  // every input of the run that exists
    std::vector<std::pair<FileId, QByteArray>> m_written; // the outputs written, and from which input
};

int UsageError(const QString &message)
{
    QTextStream(stderr) << "dotpress-convert: " << message << " (see --help)" << Qt::endl;
    return Failed;
}

// "WxH", each side from 1 to MaxModuleSide.
std::optional<DotSize> ParseSize(const QString &text)
{
    const QStringList sides = text.split(QLatin1Char('x'));
    if (sides.size() != 2)
        return std::nullopt;
    DotSize size;
    for (int i = 0; i < 2; ++i) {
        bool read = false;
        const int side = sides[i].toInt(&read);
        if (!read || side < 1 || side > MaxModuleSide || sides[i].startsWith(QLatin1Char('+')))
            return std::nullopt;
        (i == 0 ? size.width : size.height) = side;
    }
    return size;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dotpress-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DOTPRESS_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts 1-bit BMP files of the module's size (240 x 64 unless --size says otherwise), and with a\n"
        "preparation option (--fit, --threshold, --dither, --background, --align) any picture, into the bytes of a\n"
        "monochrome graphic LCD or OLED module in the chosen layout: a DB listing lcd_NAME.txt beside each\n"
        "input, a C header or the bytes alone. With --to-bitmap, turns listings back into bitmaps. With --font,\n"
        "writes a font's glyph table, or with --text a text set in it, converted as a picture.\n"
        "An input - is standard input."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption inverse(QStringLiteral("inverse"),
                                     QStringLiteral("Light the pixels of the second palette colour instead of the first "
                                                    "(prepared: the light dots instead of the dark)."));
    const QCommandLineOption format = FormatOption.option();
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("The module's width and height in dots, each from 1 to %1 (default %2x%3).")
                                      .arg(MaxModuleSide).arg(LcdWidth).arg(LcdHeight),
                                  QStringLiteral("WxH"), QStringLiteral("%1x%2").arg(LcdWidth).arg(LcdHeight));
    const QCommandLineOption layout = LayoutOption.option();
    const QCommandLineOption toBitmap(QStringLiteral("to-bitmap"),
                                      QStringLiteral("The inputs are listings: write each NAME.txt back as a 1-bit bitmap "
                                                     "NAME.bmp of the module's size, lit dots black. A listing that does "
                                                     "not give exactly the bytes the size and layout take fails. Fields "
                                                     "written with --leading-zero (0FFH) are read too."));
    const QCommandLineOption leadingZero(QStringLiteral("leading-zero"),
                                         QStringLiteral("With asm: write a 0 before each field that starts with a letter "
                                                        "(0FFH, not FFH), as assemblers such as z80asm and as31 need: "
                                                        "they read FFH as a symbol. The window writes FFH."));
    const QCommandLineOption progmem(QStringLiteral("progmem"),
                                     QStringLiteral("With c: mark every array PROGMEM, so that on AVR it stays in flash "
                                                    "(read it with pgm_read_byte), with --font the glyph table's arrays "
                                                    "and the font too (gfxfont is PROGMEM as it is); the header includes "
                                                    "<avr/pgmspace.h> on AVR and defines PROGMEM as nothing elsewhere."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write to FILE instead (- for standard output); only with one input. "
                                                   "A FILE that is a device or a named pipe is written into."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption fit = FitOption.option();
    const QCommandLineOption align = AlignOption.option();
    const QCommandLineOption rotate = RotateOption.option();
    const QCommandLineOption flip = FlipOption.option();
    const QCommandLineOption threshold(QStringLiteral("threshold"),
                                       QStringLiteral("Prepare, lighting a dot whose grey (0 black to 255 white) is below T, "
                                                      "a whole number from 0 to 256 (default 128; without a dither 0 lights "
                                                      "nothing and 256 everything), or auto: Otsu's threshold of the "
                                                      "picture's greys, printed on standard error. A dither compares each "
                                                      "grey, its neighbours' errors added, with T (Floyd-Steinberg, "
                                                      "Atkinson) or moves it by 128 - T (Bayer)."),
                                       QStringLiteral("T"), QStringLiteral("128"));
    const QCommandLineOption dither = DitherOption.option();
    const QCommandLineOption background = BackgroundOption.option();
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("After each path, print the dots as braille, a character for 2 x 4 dots, "
                                                 "a lit dot raised. Not with -o -."));
    const QCommandLineOption font(QStringLiteral("font"),
                                  QStringLiteral("Read FILE, a bitmap font (BDF, PCF, .pcf.gz, OTB) or an outline font "
                                                 "(TTF, OTF) with a Unicode character map, and write its glyph table "
                                                 "font_NAME.h in the current folder: NAME is the file's name without its "
                                                 "extensions, with _PX for an outline font. Not with pictures."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption fontSize(QStringLiteral("font-size"),
                                      QStringLiteral("With --font: an outline font's em in pixels, not points (needed), "
                                                     "or the strike of that many rows of a bitmap font (needed when it "
                                                     "has several); from 1 to %1. With --threshold, outlines are "
                                                     "rendered in 256 levels, a dot lit where 255 - coverage < T.")
                                          .arg(MaxFontPixels),
                                      QStringLiteral("PX"));
    const QCommandLineOption chars(QStringLiteral("chars"),
                                   QStringLiteral("With --font: the characters of the table, comma-separated: code points "
                                                  "(65, 0x41, U+0041), ranges (0xA0-0xFF, ä-ü) or literal UTF-8 "
                                                  "characters, each taken (default 32-126). One the font lacks is left "
                                                  "out and named."),
                                   QStringLiteral("LIST"));
    const QCommandLineOption charsFile(QStringLiteral("chars-file"),
                                       QStringLiteral("With --font: every distinct character of the UTF-8 text FILE, its "
                                                      "control characters (line ends, tabs) left out; with --chars, "
                                                      "both lists."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption fixed(QStringLiteral("fixed"),
                                   QStringLiteral("With --font: every glyph's box one cell, the widest advance x (ascent + "
                                                  "descent) with the baseline at row ascent, and every advance the "
                                                  "cell's width; a glyph that loses dots outside it is named."));
    const QCommandLineOption text(QStringLiteral("text"),
                                  QStringLiteral("With --font: set STRING (UTF-8; a newline character starts a line) "
                                                 "into a 1-bit picture and convert it as a picture, to text_NAME with "
                                                 "the format's extension; --fit none unless given. A character the "
                                                 "font lacks fails."),
                                  QStringLiteral("STRING"));
        const QCommandLineOption frames(QStringLiteral("frames"),
                                    QStringLiteral("Every frame of an animated GIF or WebP, as a browser shows it, or "
                                                   "several pictures in the order given, prepared alike (the default "
                                                   "preparation unless an option says otherwise) into one output: asm "
                                                   "with a line '; frame 3 of 12, 40 ms' before each frame's, c with "
                                                   "NAME[FRAMES][N] and NAME_delays[FRAMES] in ms, bin one after another, "
                                                   "png side by side. Several inputs need -o. --threshold auto takes one "
                                                   "threshold over all frames."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("With --frames: the milliseconds each still picture's frame is shown "
                                                  "(default 0); an animation's frames keep their own."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    parser.addOptions({inverse, format, size, layout, leadingZero, progmem, toBitmap, output, fit, align, threshold, dither,
                       background, rotate, flip, show, frames, delay, font, fontSize, chars, charsFile, fixed, text});
    parser.addPositionalArgument(QStringLiteral("BITMAP"),
                                 QStringLiteral("The bitmaps (or pictures) to convert, or with --to-bitmap the listings."),
                                 QStringLiteral("BITMAP... | --to-bitmap LISTING... | --font FONT"));

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

    Options options;
    QString message;
    const std::optional<Format> formatValue = FormatOption.parse(parser.value(format), message);
    const std::optional<ByteLayout> layoutValue = LayoutOption.parse(parser.value(layout), message);
    const std::optional<Fit> fitValue = FitOption.parse(parser.value(fit), message);
    const std::optional<Align> alignValue = AlignOption.parse(parser.value(align), message);
    const std::optional<Rotation> rotateValue = RotateOption.parse(parser.value(rotate), message);
    const std::optional<Flip> flipValue = FlipOption.parse(parser.value(flip), message);
    const std::optional<Dither> ditherValue = DitherOption.parse(parser.value(dither), message);
    const std::optional<Background> backgroundValue = BackgroundOption.parse(parser.value(background), message);
    if (!message.isEmpty())
        return UsageError(message);
    const std::optional<DotSize> sizeValue = ParseSize(parser.value(size));
    if (!sizeValue)
        return UsageError(QStringLiteral("--size: '%1' is not WxH with W and H from 1 to %2")
                              .arg(parser.value(size)).arg(MaxModuleSide));
    const bool autoThreshold = parser.value(threshold) == QLatin1String("auto");
    bool thresholdRead = autoThreshold;
    const int thresholdValue = autoThreshold ? 128 : parser.value(threshold).toInt(&thresholdRead);
    if (!thresholdRead || thresholdValue < 0 || thresholdValue > 256)
        return UsageError(QStringLiteral("--threshold: '%1' is not a whole number from 0 to 256 or auto")
                              .arg(parser.value(threshold)));

    for (const QCommandLineOption *given : {&fit, &threshold, &dither, &background, &align})
        if (parser.isSet(*given))
            options.preparationOptions << QLatin1String("--") + given->names().front();
    const bool preparing = !options.preparationOptions.isEmpty();
    if (parser.isSet(toBitmap) && (parser.isSet(format) || parser.isSet(inverse) || preparing || parser.isSet(rotate)
                                   || parser.isSet(flip)))
        return UsageError(QStringLiteral("--to-bitmap takes neither --format nor --inverse nor a preparation option "
                                         "nor --rotate nor --flip"));
    if (parser.isSet(show) && parser.value(output) == QLatin1String("-"))
        return UsageError(QStringLiteral("--show prints beside the paths written; not with -o -"));
    if (parser.isSet(leadingZero) && (parser.isSet(toBitmap) || formatValue != Format::Asm))
        return UsageError(QStringLiteral("--leading-zero is for writing asm listings only"));
    // A font's glyph table is c unless told; gfxfont is PROGMEM as it is.
    const Format written = parser.isSet(font) && !parser.isSet(text) && !parser.isSet(format) ? Format::C : *formatValue;
    if (parser.isSet(progmem) && written != Format::C && written != Format::GfxFont)
        return UsageError(QStringLiteral("--progmem is for writing C headers only (--format c)"));
    bool delayRead = false;
    const uint delayValue = parser.value(delay).toUInt(&delayRead);
    if (!delayRead || parser.value(delay).startsWith(QLatin1Char('+')))
        return UsageError(QStringLiteral("--delay: '%1' is not a whole number of milliseconds from 0 to %2")
                              .arg(parser.value(delay)).arg(std::numeric_limits<uint>::max()));
    if (parser.isSet(delay) && !parser.isSet(frames))
        return UsageError(QStringLiteral("--delay is for --frames only"));
    if (parser.isSet(frames) && parser.isSet(toBitmap))
        return UsageError(QStringLiteral("--frames writes frames; --to-bitmap writes bitmaps: not both"));

    std::vector<QByteArray> inputs;
    for (const QString &input : parser.positionalArguments())
        inputs.push_back(input.toLatin1());
    if (parser.isSet(font)) {
        // Every message names the font.
        const QString named = Readable(parser.value(font).toLatin1()) + QLatin1String(": ");
        // A glyph table is c, gfxfont or png and takes no picture option; a
        // text is a picture, so gfxfont is not for it.
        if (!inputs.empty() || parser.isSet(toBitmap))
            return UsageError(named + QStringLiteral("--font takes neither a picture nor --to-bitmap"));
        if (parser.isSet(frames))
            return UsageError(named + QStringLiteral("--frames is for pictures, not fonts"));
        if (parser.isSet(text) && (formatValue == Format::GfxFont || parser.isSet(chars) || parser.isSet(charsFile)))
            return UsageError(named + QStringLiteral("--text sets a picture: not with --format gfxfont, --chars or --chars-file"));
        if (!parser.isSet(text) && parser.isSet(format) && (formatValue == Format::Asm || formatValue == Format::Bin))
            return UsageError(named + QStringLiteral("--format %1: a glyph table is written as c, gfxfont or png").arg(parser.value(format)));
        if (!parser.isSet(text))
            for (const QCommandLineOption *picture : {&size, &fit, &align, &rotate, &flip, &dither, &background, &inverse,
                                                           &leadingZero})
                if (parser.isSet(*picture))
                    return UsageError(named + QStringLiteral("--%1 is for pictures: a glyph table takes none").arg(picture->names().front()));
        if (autoThreshold)
            return UsageError(named + QStringLiteral("--threshold: auto is for pictures, not fonts"));
        FontOptions how;
        if (parser.isSet(fontSize)) {
            bool read = false;
            how.request.pixels = parser.value(fontSize).toInt(&read);
            if (!read || *how.request.pixels < 1 || *how.request.pixels > MaxFontPixels || parser.value(fontSize).startsWith(QLatin1Char('+')))
                return UsageError(named + QStringLiteral("--font-size: '%1' is not a whole number from 1 to %2")
                                      .arg(parser.value(fontSize)).arg(MaxFontPixels));
        }
        if (parser.isSet(threshold))
            how.request.threshold = thresholdValue;
        const CharList list = ParseCharList(parser.isSet(chars) ? parser.value(chars).toLatin1() : QByteArray("32-126"));
        if (!list.ok())
            return UsageError(named + QStringLiteral("--chars: wrong item '%1'").arg(Readable(list.wrongItem)));
        if (!parser.isSet(chars) && parser.isSet(charsFile))
            how.request.codes.clear();
        else
            how.request.codes = list.codes;
        how.charsFile = parser.value(charsFile).toLatin1();
        how.fixed = parser.isSet(fixed);
        if (parser.isSet(text)) {
            how.text = DecodeUtf8(parser.value(text).toLatin1());
            if (!how.text)
                return UsageError(named + QStringLiteral("--text: the string is not UTF-8"));
            if (how.text->empty())
                return UsageError(named + QStringLiteral("--text: the string is empty"));
            how.request.codes = *how.text;
            std::sort(how.request.codes.begin(), how.request.codes.end());
            how.request.codes.erase(std::unique(how.request.codes.begin(), how.request.codes.end()), how.request.codes.end());
            how.preparation = Preparation{parser.isSet(fit) ? *fitValue : Fit::None, *backgroundValue, 128, *ditherValue, *alignValue};
        }
        inputs.push_back(parser.value(font).toLatin1());
        options.font = how;
    } else if (formatValue == Format::GfxFont) {
        return UsageError(QStringLiteral("--format gfxfont is for fonts (--font)"));
    } else {
        for (const QCommandLineOption *fontOnly : {&fontSize, &chars, &charsFile, &fixed, &text})
            if (parser.isSet(*fontOnly))
                return UsageError(QStringLiteral("--%1 is for fonts (--font)").arg(fontOnly->names().front()));
    }
    if (inputs.empty())
        return UsageError(parser.isSet(toBitmap) ? QStringLiteral("no listing given") : QStringLiteral("no bitmap given"));
    if (!parser.isSet(output) && std::find(inputs.begin(), inputs.end(), StandardStream) != inputs.end())
        return UsageError(QStringLiteral("standard input (-) has no name to form an output's from: give -o"));
    options.target = parser.value(output).toLatin1();
    if (parser.isSet(frames) && inputs.size() > 1 && !parser.isSet(output))
        return UsageError(QStringLiteral("--frames with several inputs writes one output: give -o"));
    if (parser.isSet(output) && (options.target.isEmpty() || (inputs.size() != 1 && !parser.isSet(frames))))
        return UsageError(QStringLiteral("-o takes a file name and exactly one input"));

    options.format = written;
    options.layout = *layoutValue;
    options.size = *sizeValue;
    options.turn = Turn{*rotateValue, *flipValue};
    options.sense = parser.isSet(inverse) ? Sense::Inverse : Sense::Normal;
    options.listingForm = parser.isSet(leadingZero) ? ListingForm::LeadingZero : ListingForm::Designed;
    options.storage = parser.isSet(progmem) ? CStorage::Progmem : CStorage::Plain;
    options.show = parser.isSet(show);
    options.toBitmap = parser.isSet(toBitmap);
    options.frames = parser.isSet(frames);
    options.stillDelay = delayValue;
    if (preparing || options.frames)
        options.preparation = Preparation{*fitValue, *backgroundValue, thresholdValue, *ditherValue, *alignValue, autoThreshold};
    return Converter(options).run(inputs);
}
