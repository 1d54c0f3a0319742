#include "listingreader.h"

#include "listingformat.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace {

// Characters cut from the front and back of a line, and the shortest line
// that survives the cut.
constexpr qint64 CutFront = Listing::PrefixLength;
constexpr qint64 CutBack = 2;
constexpr qint64 ShortestLine = CutFront + CutBack;

// Reading goes in blocks of this size, whatever the length of a line.
constexpr qint64 BlockSize = 64 * 1024;

// The value of each hexadecimal digit, either case; -1 for anything else.
// Looking a digit up once gives what the ordered text-wide replacements
// "0" -> "0000", "1" -> "0001", ... "F" -> "1111" give: they only ever write
// "0" and "1", which are expanded first, so no replacement is replaced again.
constexpr std::array<signed char, 256> HexValues = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    for (int d = 0; d < 10; ++d)
        values[std::size_t('0' + d)] = static_cast<signed char>(d);
    for (int d = 0; d < 6; ++d) {
        values[std::size_t('A' + d)] = static_cast<signed char>(10 + d);
        values[std::size_t('a' + d)] = static_cast<signed char>(10 + d);
    }
    return values;
}();

// Takes apart the characters [from, stop) of a line held in p, the cut
// reaching at least to cutEnd (stop < cutEnd, or both at the end of the cut):
// "H," (either case, the comma inside the cut) is dropped, a hexadecimal
// digit goes to sink.nibble(value), any other character to sink.other(c).
// Stops early when the sink returns false. Returns the index after the last
// character taken, which may be stop + 1.
template <class Sink>
qint64 ExpandCut(const char *p, qint64 from, qint64 stop, qint64 cutEnd, Sink &sink)
{
    qint64 j = from;
    while (j < stop) {
        if constexpr (requires { sink.byte(0u); }) {
            // A whole field "XYH," at the start of a group is the group.
            if (j + 3 < cutEnd && sink.aligned()) {
                const int high = HexValues[static_cast<unsigned char>(p[j])];
                const int low = HexValues[static_cast<unsigned char>(p[j + 1])];
                if ((high | low) >= 0 && (p[j + 2] | 0x20) == 'h' && p[j + 3] == ',') {
                    j += 4;
                    if (!sink.byte(unsigned(high << 4 | low)))
                        return j;
                    continue;
                }
            }
        }
        const auto c = static_cast<unsigned char>(p[j]);
        const int value = HexValues[c];
        if (value >= 0) {
            ++j;
            if (!sink.nibble(unsigned(value)))
                return j;
        } else if ((c | 0x20) == 'h' && j + 1 < cutEnd && p[j + 1] == ',') {
            j += 2;
        } else {
            ++j;
            if (!sink.other(char(c)))
                return j;
        }
    }
    return j;
}

// Writes the bit text out, for ListingLineBits.
struct BitTextSink
{
    QByteArray text;
    bool nibble(unsigned value)
    {
        for (int bit = 3; bit >= 0; --bit)
            text += ((value >> bit) & 1u) ? '1' : '0';
        return true;
    }
    bool other(char c)
    {
        text += c;
        return true;
    }
};

// Any width and height, one call per dot.
class CallbackCanvas
{
public:
    CallbackCanvas(int width, int height, const DotFn &dot)
        : m_width(width), m_height(height), m_dot(dot)
    {
    }
    bool full() const { return m_width < 1 || m_row >= m_height; }
    // Draws count dots from the bits of dots, bit 0 first, until full.
    void put(unsigned dots, int count)
    {
        for (int i = 0; i < count && !full(); ++i) {
            m_dot(m_column, m_row, (dots >> i) & 1u);
            ++m_drawn;
            if (++m_column >= m_width) {
                m_column = 0;
                ++m_row;
            }
        }
    }
    void putByte(unsigned dots) { put(dots, 8); }
    int column() const { return m_column; }
    int row() const { return m_row; }
    qint64 drawn() const { return m_drawn; }

private:
    const int m_width;
    const int m_height;
    const DotFn &m_dot;
    int m_column = 0;
    int m_row = 0;
    qint64 m_drawn = 0;
};

} // namespace

// 240 x 64 into the bits of LcdDots. The walk there is a plain count, as the
// rows follow one another without a gap.
class LcdDotsCanvas
{
public:
    explicit LcdDotsCanvas(LcdDots &dots) : m_dots(dots) { m_dots = LcdDots(); }
    bool full() const { return m_dots.m_drawn >= LcdDots::Count; }
    void put(unsigned dots, int count)
    {
        int &i = m_dots.m_drawn;
        for (int k = 0; k < count && i < LcdDots::Count; ++k, ++i)
            m_dots.m_bits[std::size_t(i >> 3)] |= std::uint8_t(((dots >> k) & 1u) << (i & 7));
    }
    void putByte(unsigned dots)
    {
        int &i = m_dots.m_drawn;
        if ((i & 7) == 0 && i < LcdDots::Count) {
            m_dots.m_bits[std::size_t(i >> 3)] = std::uint8_t(dots);
            i += 8;
        } else {
            put(dots, 8);
        }
    }
    int column() const { return m_dots.m_drawn % LcdWidth; }
    int row() const { return m_dots.m_drawn / LcdWidth; }
    qint64 drawn() const { return m_dots.m_drawn; }

private:
    LcdDots &m_dots;
};

namespace {

// The walk over the bit text of one line, fed a digit or a stray character
// at a time. The characters wait in a shift register, the first on top,
// until eight make a group. Read from the bottom up, a group is its dots from
// left to right, so a group of two digits is the byte of the listing.
template <class Canvas>
class Walker
{
public:
    explicit Walker(Canvas &canvas) : m_canvas(canvas) {}

    bool nibble(unsigned value)
    {
        m_bits = (m_bits << 4) | value;
        m_stray <<= 4;
        m_count += 4;
        return m_count < 8 || drawGroup();
    }
    bool other(char c)
    {
        m_bits <<= 1;
        m_stray = (m_stray << 1) | 1u;
        ++m_count;
        m_strayChar = c;
        return m_count < 8 || drawGroup();
    }
    // A whole group of two digits, when none is waiting.
    bool aligned() const { return m_count == 0; }
    bool byte(unsigned dots)
    {
        m_canvas.putByte(dots);
        return !m_canvas.full();
    }
    // The rest of a line, fewer than eight characters, draws nothing.
    void endLine()
    {
        m_bits = 0;
        m_stray = 0;
        m_count = 0;
    }
    bool failed() const { return m_failed; }
    char strayChar() const { return m_strayChar; }

private:
    // Returns false once nothing more of the line is to be looked at.
    bool drawGroup()
    {
        m_count -= 8;
        const unsigned dots = (m_bits >> m_count) & 0xFFu;
        const unsigned stray = (m_stray >> m_count) & 0xFFu;
        if (stray == 0) {
            m_canvas.putByte(dots);
            return !m_canvas.full();
        }
        // The dots before the first stray character are drawn. The stray
        // character reached is the last one fed: characters come one at a
        // time, and a digit that completes a group carries none.
        m_canvas.put(dots, std::countr_zero(stray));
        m_failed = !m_canvas.full();
        return false;
    }

    Canvas &m_canvas;
    std::uint32_t m_bits = 0;  // "1" characters
    std::uint32_t m_stray = 0; // characters that are neither "0" nor "1"
    int m_count = 0;           // characters waiting, at most 11
    char m_strayChar = 0;
    bool m_failed = false;
};

QString StrayCharacterReason(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
        return QStringLiteral("unexpected character '%1'").arg(QLatin1Char(c));
    return QStringLiteral("unexpected character 0x%1").arg(uint(byte), 2, 16, QLatin1Char('0'));
}

// Splits a listing into lines and feeds them, a block at a time, to the walk.
// A line that does not end within a block is taken apart as far as is safe:
// all but its last three or four characters, which may yet turn out to be
// the CR of its line end and the two closing characters that are cut, and a
// comma that may or may not belong to an "H,".
template <class Canvas>
class Scanner
{
public:
    explicit Scanner(Canvas &canvas) : m_canvas(canvas), m_walker(canvas) {}

    // Takes the lines of [p, end); unless last, the final unfinished line
    // only in part. Returns the start of what is left, at most four bytes.
    const char *scan(const char *p, const char *end, bool last)
    {
        while (p < end && !stopped()) {
            const auto *lineEnd = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
            if (lineEnd == nullptr) {
                if (!last)
                    return p + linePart(p, end - p);
                endLine(p, end - p);
                return end;
            }
            endLine(p, lineEnd - p);
            p = lineEnd + 1;
        }
        return p;
    }

    bool stopped() const { return m_result.problem != ListingProblem::None || m_walker.failed(); }

    void readFailed(const QString &reason)
    {
        m_result.problem = ListingProblem::ReadFailed;
        m_result.reason = reason;
    }

    ListingReadResult result()
    {
        ListingReadResult result = m_result;
        if (m_walker.failed()) {
            result.problem = ListingProblem::UnexpectedCharacter;
            result.reason = StrayCharacterReason(m_walker.strayChar());
        }
        if (!result.ok())
            result.line = m_line;
        result.column = m_canvas.column();
        result.row = m_canvas.row();
        result.dots = m_canvas.drawn();
        return result;
    }

private:
    // The rest of a line, [p, p + n), its line end (without the LF) included.
    void endLine(const char *p, qint64 n)
    {
        if (n > 0 && p[n - 1] == '\r')
            --n;
        const qint64 length = m_taken + n;
        if (length > 0 && length < ShortestLine) {
            m_result.problem = ListingProblem::LineTooShort;
            m_result.reason = QStringLiteral("only %1 characters; a DB line has at least %2")
                                  .arg(length).arg(ShortestLine);
            return;
        }
        const qint64 from = std::max<qint64>(0, CutFront - m_taken);
        if (length > 0 && !m_canvas.full() && from < n - CutBack)
            ExpandCut(p, from, n - CutBack, n - CutBack, m_walker);
        if (m_walker.failed())
            return;
        m_walker.endLine();
        m_taken = 0;
        ++m_line;
    }

    // The middle of a line, [p, p + n), whose end is still to come. Returns
    // how many characters were taken.
    qint64 linePart(const char *p, qint64 n)
    {
        // The line holds at least n - 1 characters (the last may be a CR), so
        // its cut reaches at least to n - 3.
        const qint64 cutEnd = n - 1 - CutBack;
        const qint64 stop = cutEnd - 1;
        if (stop <= 0)
            return 0;
        qint64 taken = stop;
        const qint64 from = std::max<qint64>(0, CutFront - m_taken);
        if (!m_canvas.full() && from < stop)
            taken = std::max(stop, ExpandCut(p, from, stop, cutEnd, m_walker));
        m_taken += taken;
        return taken;
    }

    Canvas &m_canvas;
    Walker<Canvas> m_walker;
    ListingReadResult m_result;
    qint64 m_line = 1;  // the line being read
    qint64 m_taken = 0; // characters of it already taken
};

template <class Canvas>
ListingReadResult ReadData(QByteArrayView listing, Canvas &canvas)
{
    Scanner<Canvas> scanner(canvas);
    scanner.scan(listing.data(), listing.data() + listing.size(), true);
    return scanner.result();
}

template <class Canvas>
ListingReadResult ReadDevice(QIODevice &device, Canvas &canvas)
{
    Scanner<Canvas> scanner(canvas);
    std::vector<char> block(static_cast<std::size_t>(BlockSize));
    qint64 kept = 0;
    for (;;) {
        const qint64 got = device.read(block.data() + kept, BlockSize - kept);
        if (got < 0) {
            scanner.readFailed(device.errorString());
            break;
        }
        const bool last = got == 0;
        const char *end = block.data() + kept + got;
        const char *rest = scanner.scan(block.data(), end, last);
        if (last || scanner.stopped())
            break;
        kept = end - rest;
        std::memmove(block.data(), rest, std::size_t(kept));
    }
    return scanner.result();
}

template <class Canvas>
ListingReadResult ReadFile(const QString &path, Canvas &canvas)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        ListingReadResult result;
        result.problem = ListingProblem::CannotOpen;
        result.reason = file.errorString();
        return result;
    }
    return ReadDevice(file, canvas);
}

} // namespace

QString ListingReadResult::describe() const
{
    if (line > 0)
        return QStringLiteral("line %1: %2").arg(line).arg(reason);
    return reason;
}

std::optional<QByteArray> ListingLineBits(QByteArrayView line)
{
    const qint64 n = line.size();
    if (n == 0)
        return QByteArray();
    if (n < ShortestLine)
        return std::nullopt;
    BitTextSink sink;
    sink.text.reserve(4 * (n - ShortestLine));
    ExpandCut(line.data(), CutFront, n - CutBack, n - CutBack, sink);
    return sink.text;
}

ListingReadResult ReadListing(QByteArrayView listing, int width, int height, const DotFn &dot)
{
    CallbackCanvas canvas(width, height, dot);
    return ReadData(listing, canvas);
}

ListingReadResult ReadListing(QIODevice &device, int width, int height, const DotFn &dot)
{
    CallbackCanvas canvas(width, height, dot);
    return ReadDevice(device, canvas);
}

ListingReadResult ReadListingFile(const QString &path, int width, int height, const DotFn &dot)
{
    CallbackCanvas canvas(width, height, dot);
    return ReadFile(path, canvas);
}

ListingReadResult ReadListing(QByteArrayView listing, LcdDots &dots)
{
    LcdDotsCanvas canvas(dots);
    return ReadData(listing, canvas);
}

ListingReadResult ReadListing(QIODevice &device, LcdDots &dots)
{
    LcdDotsCanvas canvas(dots);
    return ReadDevice(device, canvas);
}

ListingReadResult ReadListingFile(const QString &path, LcdDots &dots)
{
    LcdDotsCanvas canvas(dots);
    return ReadFile(path, canvas);
}
