// Bad headers built around good 240 x 64, 1-bit files: every cut of each
// file, and every odd value of the fields a decoder looks at, alone and in
// every pair of fields. Each case must end in one of three ways: converted to
// the listing of the untouched picture, refused, or failed with a reason; and
// a refused or failed case leaves no file behind. A palette that is not all
// there must fail: the decoder would make up the missing colour or read the
// palette's tail from the pixel data, and light the wrong dots.

#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <iostream>

namespace {

// A good file of the banded picture and where its parts lie.
struct Layout
{
    std::string name;
    QByteArray bytes;
    int paletteAt;
    int dataAt;
};

std::vector<Layout> layouts()
{
    auto banded = [](const char *name, int infoSize, int clrUsed) {
        return Layout{name, BandedBmp(infoSize, clrUsed), 14 + infoSize, 14 + infoSize + 4 * std::max(clrUsed, 2)};
    };
    // Sixteen bytes of filler between the palette and the pixel data.
    Layout gap = banded("gap16", 40, 0);
    gap.bytes.insert(gap.dataAt, QByteArray(16, char(0xA5)));
    gap.dataAt += 16;
    PokeLe(gap.bytes, 10, 4, gap.dataAt);
    PokeLe(gap.bytes, 2, 4, gap.bytes.size());
    return {banded("info40", 40, 0), banded("info124", 124, 0), banded("clrused3", 40, 3), gap};
}

// The listing a converted case must give. A biSize that points the palette
// into the zeroed tail of a longer header finds two black entries: every dot
// is lit, in both senses. Otherwise the banded listing.
QByteArray expectedListing(const QByteArray &bytes, Sense sense)
{
    const std::int64_t paletteAt = 14 + qFromLittleEndian<quint32>(bytes.constData() + 14);
    if (paletteAt >= 54 && paletteAt + 8 <= bytes.size() && bytes.mid(paletteAt, 3) == bytes.mid(paletteAt + 4, 3))
        return UniformListing("FFH");
    return BandedListing(sense);
}

// Runs cases through the converter's path in one folder and tallies how they
// ended; reports the first few that ended in a way they must not.
struct CaseRunner
{
    explicit CaseRunner(const char *group) : m_group(group) {}

    ~CaseRunner()
    {
        std::cout << "[ figures  ] " << m_group << ": " << m_endings[0] + m_endings[1] + m_endings[2]
                  << " tried, " << m_endings[0] << " converted, " << m_endings[1] << " refused, "
                  << m_endings[2] << " failed, " << m_faults << " faults" << std::endl;
    }

    // allowed: the endings this case may have, one bit each (1 << Ending).
    PathOutcome run(const std::string &name, const QByteArray &bytes, unsigned allowed = 7)
    {
        WriteFileOrFail(m_bitmap, bytes);
        const PathOutcome normal = ConvertInProcess(m_bitmap, m_listing, Sense::Normal);
        ++m_endings[int(normal.ending)];
        if (!(allowed & (1u << int(normal.ending))))
            fault(name, "ended as " + std::to_string(int(normal.ending)) + ": " + normal.message.toStdString());
        if (normal.ending == Ending::Converted) {
            const PathOutcome inverse = ConvertInProcess(m_bitmap, m_listing, Sense::Inverse);
            if (normal.listing != expectedListing(bytes, Sense::Normal)
                || inverse.listing != expectedListing(bytes, Sense::Inverse))
                fault(name, "converted to a wrong listing");
            QFile::remove(m_listing);
        } else if (normal.message.trimmed().isEmpty()) {
            fault(name, "refused or failed without a reason");
        }
        const QStringList left = EntriesIn(m_dir.path());
        if (left != QStringList{QStringLiteral("case.bmp")}) {
            fault(name, "left " + left.join(QLatin1Char(' ')).toStdString());
            for (const QString &entry : left)
                QDir(m_dir.path()).remove(entry);
        }
        return normal;
    }

    void fault(const std::string &name, const std::string &what)
    {
        if (++m_faults <= 40)
            ADD_FAILURE() << name << ": " << what;
    }

    const char *m_group;
    QuietDecoderWarnings m_quiet;
    QTemporaryDir m_dir;
    QString m_bitmap = m_dir.filePath(QStringLiteral("case.bmp"));
    QString m_listing = m_dir.filePath(QStringLiteral("lcd_case.txt"));
    int m_endings[3] = {};
    int m_faults = 0;
};

constexpr unsigned OnlyConverted = 1u << int(Ending::Converted), OnlyFailed = 1u << int(Ending::Failed),
                   NotConverted = 7u & ~OnlyConverted;

struct Field
{
    const char *name;
    int offset;
    int size;
    std::vector<std::int64_t> values;
};

std::vector<Field> oddFields(const Layout &layout)
{
    const std::int64_t size = layout.bytes.size();
    std::vector<std::int64_t> offsets{0, 14, layout.paletteAt - 1, layout.paletteAt + 4, layout.paletteAt + 7,
                                      layout.dataAt + 1, size, size + 1, INT32_MAX, -1, INT32_MIN};
    // Data starting inside a gap's filler is another picture, valid as such.
    if (layout.dataAt == layout.paletteAt + 8)
        offsets.push_back(layout.dataAt - 1);
    return {
        {"biSize", 14, 4, {0, 12, 39, 40, 41, 64, 108, 124, INT32_MAX}},
        {"biBitCount", 28, 2, {0, 1, 2, 4, 8, 16, 24, 32, 30000}},
        {"biPlanes", 26, 2, {0, 30000}},
        {"biCompression", 30, 4, {1, 2, 3, 4, 5, 6}},
        {"biClrUsed", 46, 4, {0, 1, 2, 3, 256, INT32_MAX, -1}},
        {"bfOffBits", 10, 4, offsets},
        {"biWidth", 18, 4, {INT32_MIN, -240, -1, 0, 239, 241, 65536 + 240, INT32_MAX}},
        {"biHeight", 22, 4, {INT32_MIN, -64, -1, 0, 63, 65, 65536 + 64, INT32_MAX}},
        {"bfSize", 2, 4, {0, INT32_MAX}},
        {"biSizeImage", 34, 4, {1, INT32_MAX}},
        {"bfType", 0, 2, {0}},
    };
}

} // namespace

TEST(GeneratedHeaders, EveryCutAndOddFieldsAloneAndInPairs)
{
    CaseRunner cuts("every cut"), runner("odd fields, alone and in pairs");
    for (const Layout &layout : layouts()) {
        for (qsizetype length = 0; length < layout.bytes.size(); ++length)
            cuts.run(layout.name + "/cut=" + std::to_string(length), layout.bytes.left(length), NotConverted);
        runner.run(layout.name, layout.bytes, OnlyConverted);
        const std::vector<Field> fields = oddFields(layout);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            for (const std::int64_t a : fields[i].values) {
                const std::string one = layout.name + "/" + fields[i].name + "=" + std::to_string(a);
                const QByteArray bytes = WithField(layout.bytes, fields[i].offset, fields[i].size, a);
                runner.run(one, bytes);
                for (std::size_t j = i + 1; j < fields.size(); ++j) {
                    for (const std::int64_t b : fields[j].values)
                        runner.run(one + "," + fields[j].name + "=" + std::to_string(b),
                                   WithField(bytes, fields[j].offset, fields[j].size, b));
                }
            }
        }
    }
}

// Failed for where the palette lies, before a decoder makes anything of it.
TEST(GeneratedHeaders, IncompletePalettesFail)
{
    CaseRunner runner("incomplete palettes");
    const QByteArray good = BandedBmp();
    const std::pair<const char *, QByteArray> cases[] = {
        // One entry: the second colour's bytes would be the first row of pixels.
        {"one entry", WithField(good, 46, 4, 1)},
        {"file ends inside the palette", good.left(60)},
        // A longer header declared over a 40-byte one puts the palette in the
        // pixel data, or past the end of the file.
        {"palette in the pixel data", WithField(good, 14, 4, 108)},
        {"palette past the end", WithField(good, 14, 4, 4000)},
        // The third entry would be read from the pixel data, every row four bytes late.
        {"three declared, two stored", WithField(good, 46, 4, 3)},
    };
    for (const auto &[name, bytes] : cases) {
        const QString reason = runner.run(name, bytes, OnlyFailed).message;
        EXPECT_TRUE(reason.startsWith(QStringLiteral("palette incomplete")) || reason.startsWith(QStringLiteral("picture data offset invalid")))
            << name << ": " << reason.toStdString();
    }
}
