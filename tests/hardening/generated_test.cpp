// Bad headers built around a good 240 x 64, 1-bit file: every cut of the file,
// every odd value of the fields that a decoder looks at, and combinations of
// them. Each case must end in exactly one of three ways: converted to the
// listing of the untouched picture, refused with the refusal text, or failed
// with a reason; a refused or failed case leaves no file behind.

#include "pipeline.h"

#include "bmpfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();

// Offsets of the fields that are varied.
constexpr int BfSize = 2;
constexpr int BfOffBits = 10;
constexpr int BiSize = 14;
constexpr int BiWidth = 18;
constexpr int BiHeight = 22;
constexpr int BiPlanes = 26;
constexpr int BiBitCount = 28;
constexpr int BiCompression = 30;
constexpr int BiSizeImage = 34;
constexpr int BiClrUsed = 46;

// A good file of the banded picture, and where its parts lie.
struct Layout
{
    std::string name;
    QByteArray bytes;
    int paletteAt = 0;
    int dataAt = 0;
    int fillerBytes = 0; // between the palette and the pixel data
};

Layout bandedLayout(const std::string &name, int infoSize, int clrUsed)
{
    const int paletteAt = 14 + infoSize;
    return Layout{name, BandedBmp(infoSize, clrUsed), paletteAt,
                  paletteAt + 4 * (clrUsed > 0 ? clrUsed : 2), 0};
}

// Sixteen bytes of filler between the palette and the pixel data.
Layout gapLayout()
{
    Layout layout = bandedLayout("gap16", 40, 0);
    layout.bytes.insert(layout.dataAt, QByteArray(16, char(0xA5)));
    layout.dataAt += 16;
    layout.fillerBytes = 16;
    PokeLe(layout.bytes, BfOffBits, 4, layout.dataAt);
    PokeLe(layout.bytes, BfSize, 4, layout.bytes.size());
    return layout;
}

std::vector<Layout> layouts()
{
    return {bandedLayout("info40", 40, 0), bandedLayout("info124", 124, 0),
            bandedLayout("clrused3", 40, 3), gapLayout()};
}

// The listing a converted case must give. A case whose biSize points the
// palette into the zeroed later fields of a longer header declares two black
// entries: then every dot is lit, in both senses. Otherwise the banded one.
QByteArray expectedListing(const QByteArray &bytes, Sense sense)
{
    const std::int64_t infoSize = qFromLittleEndian<quint32>(bytes.constData() + BiSize);
    const std::int64_t paletteAt = 14 + infoSize;
    if (infoSize >= 40 && paletteAt + 8 <= bytes.size()
        && bytes.mid(paletteAt, 3) == bytes.mid(paletteAt + 4, 3))
        return AllLitListing();
    return BandedListing(sense);
}

struct Counts
{
    int tried = 0;
    int converted = 0;
    int refused = 0;
    int failed = 0;
};

// Runs cases through the in-process path in one folder and keeps the tally
// and every case that ended in a way it must not.
class CaseRunner
{
public:
    explicit CaseRunner(const char *group) : m_group(group)
    {
        m_bitmap = m_dir.filePath(QStringLiteral("case.bmp"));
        m_listing = m_dir.filePath(QStringLiteral("lcd_case.txt"));
    }

    // mayConvert false: the case lacks something a listing needs, so a
    // listing of any kind is a fault.
    void run(const std::string &name, const QByteArray &bytes, bool mayConvert = true)
    {
        ++m_counts.tried;
        QFile::remove(m_bitmap);
        WriteFileOrFail(m_bitmap, bytes);
        const PathOutcome normal = ConvertInProcess(m_bitmap, m_listing, Sense::Normal);
        switch (normal.ending) {
        case Ending::Converted: {
            ++m_counts.converted;
            if (!mayConvert)
                fault(name, "converted although the file cannot hold the picture");
            if (normal.listing != expectedListing(bytes, Sense::Normal))
                fault(name, "converted to a wrong listing (Normal)");
            const PathOutcome inverse = ConvertInProcess(m_bitmap, m_listing, Sense::Inverse);
            if (inverse.ending != Ending::Converted || inverse.listing != expectedListing(bytes, Sense::Inverse))
                fault(name, "Inverse did not give the complement listing");
            QFile::remove(m_listing);
            break;
        }
        case Ending::Refused:
            ++m_counts.refused;
            if (normal.message != QString::fromLatin1(ExpectedRefusal))
                fault(name, "refused with another text: " + normal.message.toStdString());
            break;
        case Ending::Failed:
            ++m_counts.failed;
            if (normal.message.trimmed().isEmpty())
                fault(name, "failed without a reason");
            break;
        }
        if (EntriesIn(m_dir.path()) != QStringList{QStringLiteral("case.bmp")}) {
            fault(name, std::string(EndingName(normal.ending)) + " and left "
                            + EntriesIn(m_dir.path()).join(QLatin1Char(' ')).toStdString());
            for (const QString &entry : EntriesIn(m_dir.path()))
                QDir(m_dir.path()).remove(entry);
        }
    }

    const Counts &counts() const { return m_counts; }

    // The figures, in the test's XML report and on standard output.
    void report() const
    {
        ::testing::Test::RecordProperty("tried", m_counts.tried);
        ::testing::Test::RecordProperty("converted", m_counts.converted);
        ::testing::Test::RecordProperty("refused", m_counts.refused);
        ::testing::Test::RecordProperty("failed", m_counts.failed);
        ::testing::Test::RecordProperty("faults", int(m_faults.size()));
        std::cout << "[ figures  ] " << m_group << ": " << m_counts.tried << " tried, "
                  << m_counts.converted << " converted, " << m_counts.refused << " refused, "
                  << m_counts.failed << " failed, " << m_faults.size() << " faults" << std::endl;
    }

    void expectNoFaults() const
    {
        std::string shown;
        for (std::size_t i = 0; i < m_faults.size() && i < 40; ++i)
            shown += "  " + m_faults[i] + "\n";
        EXPECT_TRUE(m_faults.empty()) << m_faults.size() << " cases ended wrongly:\n" << shown;
    }

private:
    void fault(const std::string &name, const std::string &what)
    {
        m_faults.push_back(name + ": " + what);
    }

    const char *m_group;
    QuietDecoderWarnings m_quiet;
    QTemporaryDir m_dir;
    QString m_bitmap;
    QString m_listing;
    Counts m_counts;
    std::vector<std::string> m_faults;
};

// One field set to one value.
struct Mutation
{
    std::string name;
    int offset;
    int size;
    std::int64_t value;
};

std::vector<Mutation> singleFieldMutations(const Layout &layout)
{
    std::vector<Mutation> mutations;
    auto add = [&](const char *field, int offset, int size, std::initializer_list<std::int64_t> values) {
        for (std::int64_t value : values)
            mutations.push_back({std::string(field) + "=" + std::to_string(value), offset, size, value});
    };
    const int size = int(layout.bytes.size());
    add("biSize", BiSize, 4, {0, 12, 39, 40, 41, 64, 108, 124, Int32Max});
    add("biBitCount", BiBitCount, 2, {0, 1, 2, 4, 8, 16, 24, 32, 30000});
    add("biPlanes", BiPlanes, 2, {0, 1, 30000});
    add("biCompression", BiCompression, 4, {1, 2, 3, 4, 5, 6});
    add("biClrUsed", BiClrUsed, 4, {0, 1, 2, 3, 16, 255, 256, 257, 65536, Int32Max, -1, Int32Min});
    add("bfOffBits", BfOffBits, 4,
        {0, 14, 54, layout.paletteAt - 1, layout.paletteAt, layout.paletteAt + 4, layout.paletteAt + 7,
         layout.dataAt + 1, layout.dataAt + 4, size - 1, size, size + 1, Int32Max, -1, Int32Min});
    // Data that starts inside the filler of a gap is another picture, valid
    // as such; only the plain layouts have no room for one.
    if (layout.fillerBytes == 0)
        add("bfOffBits", BfOffBits, 4, {layout.dataAt - 1});
    add("biWidth", BiWidth, 4,
        {Int32Min, Int32Min + 1, -240, -1, 0, 1, 239, 241, 32767, 32768, 65536 + 240, Int32Max - 1, Int32Max});
    add("biHeight", BiHeight, 4,
        {Int32Min, Int32Min + 1, -64, -1, 0, 1, 63, 65, 32767, 32768, 65536 + 64, Int32Max - 1, Int32Max});
    add("bfSize", BfSize, 4, {0, -1, Int32Max});
    add("biSizeImage", BiSizeImage, 4, {0, 1, -1, Int32Max});
    add("bfType", 0, 2, {0, 0x4142});
    return mutations;
}

} // namespace

TEST(GeneratedHeaders, UntouchedLayoutsGiveTheBandedListing)
{
    // The fixed text every converted case is held against.
    const QByteArray normal = BandedListing(Sense::Normal);
    ASSERT_EQ(normal.size(), 10800);
    EXPECT_TRUE(normal.startsWith("        DB 01H,01H,01H,01H,01H,01H,01H,01H;\r\n"));
    EXPECT_TRUE(normal.endsWith("        DB EEH,EEH,EEH,EEH,EEH,EEH,EEH,EEH;\r\n"));

    QTemporaryDir dir;
    const QString bitmap = dir.filePath(QStringLiteral("banded.bmp"));
    const QString listing = dir.filePath(QStringLiteral("lcd_banded.txt"));
    for (const Layout &layout : layouts()) {
        SCOPED_TRACE(layout.name);
        WriteFileOrFail(bitmap, layout.bytes);
        const PathOutcome n = ConvertInProcess(bitmap, listing, Sense::Normal);
        ASSERT_EQ(n.ending, Ending::Converted) << n.message.toStdString();
        EXPECT_EQ(n.listing, normal);
        EXPECT_EQ(ConvertInProcess(bitmap, listing, Sense::Inverse).listing, BandedListing(Sense::Inverse));
    }
}

TEST(GeneratedHeaders, EveryCutOfEveryLayout)
{
    CaseRunner runner("every cut");
    for (const Layout &layout : layouts()) {
        for (qsizetype length = 0; length < layout.bytes.size(); ++length)
            runner.run(layout.name + "/cut=" + std::to_string(length), layout.bytes.left(length), false);
    }
    runner.report();
    runner.expectNoFaults();
    EXPECT_EQ(runner.counts().converted, 0);
}

TEST(GeneratedHeaders, SingleFieldValues)
{
    CaseRunner runner("single fields");
    for (const Layout &layout : layouts()) {
        for (const Mutation &m : singleFieldMutations(layout))
            runner.run(layout.name + "/" + m.name, WithField(layout.bytes, m.offset, m.size, m.value));
    }
    runner.report();
    runner.expectNoFaults();
}

TEST(GeneratedHeaders, FieldCombinations)
{
    CaseRunner runner("combinations");
    const std::int64_t sizes[] = {0, 12, 39, 40, 41, 64, 108, 124, Int32Max};
    const std::int64_t planes[] = {1, 0, 30000};
    const std::int64_t clrUsed[] = {0, 1, 2, 3, 256, Int32Max, -1};
    for (const Layout &layout : {layouts()[0], layouts()[1]}) {
        const std::int64_t offsets[] = {layout.dataAt, layout.paletteAt, layout.paletteAt + 4,
                                        layout.bytes.size(), -1, Int32Max};
        for (std::int64_t size : sizes)
            for (std::int64_t plane : planes)
                for (std::int64_t compression = 0; compression <= 6; ++compression)
                    for (std::int64_t used : clrUsed)
                        for (std::int64_t offset : offsets) {
                            QByteArray bytes = layout.bytes;
                            PokeLe(bytes, BiSize, 4, size);
                            PokeLe(bytes, BiPlanes, 2, plane);
                            PokeLe(bytes, BiCompression, 4, compression);
                            PokeLe(bytes, BiClrUsed, 4, used);
                            PokeLe(bytes, BfOffBits, 4, offset);
                            runner.run(layout.name + "/biSize=" + std::to_string(size)
                                           + ",planes=" + std::to_string(plane)
                                           + ",compression=" + std::to_string(compression)
                                           + ",clrUsed=" + std::to_string(used)
                                           + ",offBits=" + std::to_string(offset),
                                       bytes);
                        }
    }
    runner.report();
    runner.expectNoFaults();
}

// The converter itself agrees with the in-process path on every single-field
// case of the plain layout: exit 0 with the right listing, 1 with the refusal
// text, or 2 with the bitmap's path and a reason.
TEST(GeneratedHeaders, ConverterAgreesOnSingleFields)
{
    QTemporaryDir dir;
    const QString bitmap = dir.filePath(QStringLiteral("case.bmp"));
    const QString listing = dir.filePath(QStringLiteral("lcd_case.txt"));
    const Layout layout = layouts()[0];
    int tried = 0;
    for (const Mutation &m : singleFieldMutations(layout)) {
        SCOPED_TRACE(m.name);
        ++tried;
        WriteFileOrFail(bitmap, WithField(layout.bytes, m.offset, m.size, m.value));
        const PathOutcome inProcess = ConvertInProcess(bitmap, listing);
        QFile::remove(listing);
        const ConverterRun run = RunConverter({bitmap});
        ASSERT_TRUE(run.finished) << run.err.toStdString();
        switch (inProcess.ending) {
        case Ending::Converted:
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(ReadFileOrEmpty(listing), expectedListing(WithField(layout.bytes, m.offset, m.size, m.value), Sense::Normal));
            break;
        case Ending::Refused:
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_TRUE(run.err.contains(ExpectedRefusal)) << run.err.toStdString();
            break;
        case Ending::Failed:
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_TRUE(run.err.startsWith(bitmap.toUtf8() + ": ")) << run.err.toStdString();
            EXPECT_GT(run.err.size(), bitmap.size() + 3);
            break;
        }
        if (inProcess.ending != Ending::Converted)
            EXPECT_EQ(EntriesIn(dir.path()), QStringList{QStringLiteral("case.bmp")});
        QFile::remove(listing);
    }
    ::testing::Test::RecordProperty("tried", tried);
    std::cout << "[ figures  ] converter, single fields: " << tried << " tried" << std::endl;
}
