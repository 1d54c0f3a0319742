#include "listingreader.h"

#include "listingformat.h"

#include <QBuffer>
#include <QFile>

#include <vector>

namespace {

// The first 11 characters (the prefix) and the last two (the closing "H;")
// are cut from every line; a shorter non-empty line cannot be taken apart.
constexpr qsizetype CutFront = Listing::PrefixLength;
constexpr qsizetype CutBack = 2;
constexpr qsizetype ShortestLine = CutFront + CutBack;

// The value of a hexadecimal digit in either case, or -1.
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Whether the field that starts here has three digits, the first "0" ("0FF"
// of "0FFH,", or the last field, whose "H" is cut off).
bool HasLeadingZero(QByteArrayView field)
{
    if (field.size() < 3 || field[0] != '0' || HexValue(field[1]) < 0 || HexValue(field[2]) < 0)
        return false;
    return field.size() == 3 || (field.size() > 4 && (field[3] == 'H' || field[3] == 'h') && field[4] == ',');
}

QString StrayCharacterReason(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
        return QStringLiteral("unexpected character '%1'").arg(QLatin1Char(c));
    return QStringLiteral("unexpected character 0x%1").arg(uint(byte), 2, 16, QLatin1Char('0'));
}

// The drawing position, which runs on from one line to the next: one dot
// after the other, wrapping to the next row after the last column.
struct Walk
{
    int width;
    int height;
    const DotFn &dot;
    int column = 0;
    int row = 0;
    qint64 drawn = 0;

    bool full() const { return width < 1 || row >= height; }
    void put(bool on)
    {
        dot(column, row, on);
        ++drawn;
        if (++column >= width) {
            column = 0;
            ++row;
        }
    }
};

// Draws a bit text in groups of eight, each group from its last character to
// its first, so that the leftmost dot of a group is bit 0 of its byte. A
// trailing group of fewer than eight characters draws nothing. Returns the
// first character reached that is neither "0" nor "1", if any.
std::optional<char> DrawListingLine(const QByteArray &bits, Walk &walk)
{
    for (qsizetype end = 8; end <= bits.size(); end += 8) {
        for (qsizetype i = 1; i <= 8; ++i) {
            if (walk.full())
                return std::nullopt;
            const char c = bits[end - i];
            if (c != '0' && c != '1')
                return c;
            walk.put(c == '1');
        }
    }
    return std::nullopt;
}

} // namespace

QString ListingReadResult::describe() const
{
    if (line > 0)
        return QStringLiteral("line %1: %2").arg(line).arg(reason);
    return reason;
}

std::optional<QByteArray> ListingLineBits(QByteArrayView line, ListingForm form)
{
    if (line.isEmpty())
        return QByteArray();
    if (line.size() < ShortestLine)
        return std::nullopt;
    const QByteArrayView cut = line.sliced(CutFront, line.size() - ShortestLine);
    QByteArray bits;
    bits.reserve(4 * cut.size());
    bool fieldStart = true;
    for (qsizetype i = 0; i < cut.size(); ++i) {
        const char c = cut[i];
        // "H," separates the fields and is dropped.
        if ((c == 'H' || c == 'h') && i + 1 < cut.size() && cut[i + 1] == ',') {
            ++i;
            fieldStart = true;
            continue;
        }
        const bool startsField = fieldStart;
        fieldStart = false;
        if (startsField && form == ListingForm::LeadingZero && HasLeadingZero(cut.sliced(i)))
            continue; // the "0" of "0FFH"
        const int value = HexValue(c);
        if (value < 0) {
            bits += c; // left for the walk to report
            continue;
        }
        for (int bit = 3; bit >= 0; --bit)
            bits += (value >> bit) & 1 ? '1' : '0';
    }
    return bits;
}

ListingReadResult ReadListing(QIODevice &device, int width, int height, const DotFn &dot, ListingForm form)
{
    ListingReadResult result;
    Walk walk{width, height, dot};
    // A line may end in CR LF or LF alone; one longer than the limit is
    // refused rather than held, so memory stays bounded whatever the file.
    // The buffer has room for the line, CR LF and readLine's closing zero.
    std::vector<char> buffer(std::size_t(MaxLineLength + 3));
    for (qint64 number = 1; !device.atEnd(); ++number) {
        const qint64 got = device.readLine(buffer.data(), qint64(buffer.size()));
        if (got <= 0) {
            result.problem = ListingProblem::ReadFailed;
            result.reason = device.errorString();
            result.line = number;
            break;
        }
        // A line that does not fit in the buffer comes out longer than the
        // limit, whatever its end.
        QByteArrayView line(buffer.data(), got);
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > MaxLineLength) {
            result.problem = ListingProblem::LineTooLong;
            result.reason = QStringLiteral("longer than %1 characters").arg(MaxLineLength);
            result.line = number;
            break;
        }
        const std::optional<QByteArray> bits = ListingLineBits(line, form);
        if (!bits) {
            result.problem = ListingProblem::LineTooShort;
            result.reason = QStringLiteral("only %1 characters; a DB line has at least %2")
                                .arg(line.size()).arg(ShortestLine);
            result.line = number;
            break;
        }
        // Once the picture is full, later lines are only checked for length.
        if (walk.full())
            continue;
        if (const std::optional<char> stray = DrawListingLine(*bits, walk)) {
            result.problem = ListingProblem::UnexpectedCharacter;
            result.reason = StrayCharacterReason(*stray);
            result.line = number;
            break;
        }
    }
    result.column = walk.column;
    result.row = walk.row;
    result.dots = walk.drawn;
    return result;
}

ListingReadResult ReadListing(QByteArrayView listing, int width, int height, const DotFn &dot, ListingForm form)
{
    QByteArray bytes = listing.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadListing(buffer, width, height, dot, form);
}

ListingReadResult ReadListingFile(const QString &path, int width, int height, const DotFn &dot, ListingForm form)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ListingReadResult result;
        result.problem = ListingProblem::CannotOpen;
        result.reason = file.errorString();
        return result;
    }
    return ReadListing(file, width, height, dot, form);
}

namespace {

DotFn DrawInto(DotGrid &dots)
{
    return [&dots](int x, int y, bool on) { dots.set(x, y, on); };
}

} // namespace

ListingReadResult ReadListing(QByteArrayView listing, DotGrid &dots, ListingForm form)
{
    return ReadListing(listing, dots.width(), dots.height(), DrawInto(dots), form);
}

ListingReadResult ReadListing(QIODevice &device, DotGrid &dots, ListingForm form)
{
    return ReadListing(device, dots.width(), dots.height(), DrawInto(dots), form);
}

ListingReadResult ReadListingFile(const QString &path, DotGrid &dots, ListingForm form)
{
    return ReadListingFile(path, dots.width(), dots.height(), DrawInto(dots), form);
}
