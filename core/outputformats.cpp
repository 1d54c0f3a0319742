#include "outputformats.h"

#include "bitmapfile.h"
#include "listingformat.h"

#include <cstdint>
#include <new>

#include <zlib.h>

const char CProgmemPreamble[] = "#if defined(__AVR__)\n"
                                "#include <avr/pgmspace.h>\n"
                                "#endif\n"
                                "#ifndef PROGMEM\n"
                                "#define PROGMEM\n"
                                "#endif\n";

QByteArray CMacroStem(const QString &identifier)
{
    const QByteArray stem = identifier.toUpper().toLatin1();
    return stem.startsWith('_') ? "DOTPRESS" + stem : stem;
}

QByteArray CSizeDefines(QByteArrayView stem, DotSize size, qsizetype bytes)
{
    const QByteArray name = stem.toByteArray();
    return "#define " + name + "_WIDTH " + QByteArray::number(size.width) + "\n#define " + name + "_HEIGHT "
           + QByteArray::number(size.height) + "\n#define " + name + "_BYTES " + QByteArray::number(bytes) + '\n';
}

namespace {

// The preamble that storage needs before the arrays, and the marker each
// array takes after its declarator.
QByteArray CPreamble(CStorage storage)
{
    return storage == CStorage::Progmem ? CProgmemPreamble + QByteArray("\n") : QByteArray();
}

const char *CMarker(CStorage storage)
{
    return storage == CStorage::Progmem ? " PROGMEM" : "";
}

// The bytes as C constants, eight a line, each line indented by four spaces.
void AppendCBytes(QByteArray &out, QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = std::uint8_t(bytes[i]);
        out += i % 8 == 0 ? "    0x" : " 0x";
        out += HexDigits[b >> 4];
        out += HexDigits[b & 0x0F];
        if (i + 1 < bytes.size())
            out += ',';
        if (i % 8 == 7 || i + 1 == bytes.size())
            out += '\n';
    }
}

} // namespace

QByteArray FormatCArray(QByteArrayView bytes, const QString &identifier, DotSize size, ByteLayout layout,
                        QByteArrayView senseNote, CStorage storage)
{
    const QByteArray name = identifier.toLatin1();
    const QByteArray stem = CMacroStem(identifier);
    const QByteArray guardName = stem + "_H";
    QByteArray out;
    out += "/* " + name + ": a picture of " + QByteArray::number(size.width) + " x "
           + QByteArray::number(size.height) + " dots for a graphic LCD module.\n"
           " * " + DescribeLayout(size, layout) + "\n"
           " * A 1 bit is a lit dot. " + senseNote.toByteArray() + " */\n";
    out += "#ifndef " + guardName + "\n#define " + guardName + "\n";
    out += CSizeDefines(stem, size, bytes.size()) + '\n' + CPreamble(storage);
    out += "static const unsigned char " + name + '[' + QByteArray::number(bytes.size()) + ']' + CMarker(storage)
           + " = {\n";
    AppendCBytes(out, bytes);
    out += "};\n\n#endif /* " + guardName + " */\n";
    return out;
}

QByteArrayView PackedFrames::frame(int index) const
{
    return QByteArrayView(bytes).sliced(index * frameBytes(), frameBytes());
}

QByteArray FrameTitle(int index, int count, unsigned long delay)
{
    return "frame " + QByteArray::number(index + 1) + " of " + QByteArray::number(count) + ", "
           + QByteArray::number(quint64(delay)) + " ms";
}

QByteArray FormatCFrames(const PackedFrames &frames, const QString &identifier, QByteArrayView senseNote,
                         CStorage storage)
{
    const QByteArray name = identifier.toLatin1(), stem = CMacroStem(identifier);
    const QByteArray guardName = stem + "_H";
    const QByteArray count = QByteArray::number(frames.count()), frameBytes = QByteArray::number(frames.frameBytes());
    QByteArray out;
    out += "/* " + name + ": " + count + " frames of " + QByteArray::number(frames.size.width) + " x "
           + QByteArray::number(frames.size.height) + " dots for a graphic LCD module, and the milliseconds each is "
           "shown (0: the\n * file gave none; browsers show 0 as 100).\n * " + DescribeLayout(frames.size, frames.layout)
           + "\n * A 1 bit is a lit dot. " + senseNote.toByteArray() + " */\n";
    out += "#ifndef " + guardName + "\n#define " + guardName + "\n";
    out += CSizeDefines(stem, frames.size, frames.frameBytes()) + "#define " + stem + "_FRAMES " + count + "\n\n"
           + CPreamble(storage);
    out += "static const unsigned char " + name + '[' + count + "][" + frameBytes + ']' + CMarker(storage) + " = {\n";
    for (int index = 0; index < frames.count(); ++index) {
        out += "    /* " + FrameTitle(index, frames.count(), frames.delays[std::size_t(index)]) + " */\n    {\n";
        AppendCBytes(out, frames.frame(index));
        out += index + 1 < frames.count() ? "    },\n" : "    }\n";
    }
    out += "};\n\nstatic const unsigned long " + name + "_delays[" + count + ']' + CMarker(storage) + " = {\n";
    for (int index = 0; index < frames.count(); ++index) {
        out += index % 8 == 0 ? "    " : " ";
        out += QByteArray::number(quint64(frames.delays[std::size_t(index)]));
        if (index + 1 < frames.count())
            out += ',';
        if (index % 8 == 7 || index + 1 == frames.count())
            out += '\n';
    }
    out += "};\n\n#endif /* " + guardName + " */\n";
    return out;
}

QByteArray FormatFramesListing(const PackedFrames &frames, ListingForm form)
{
    QByteArray out;
    for (int index = 0; index < frames.count(); ++index)
        out += "; " + FrameTitle(index, frames.count(), frames.delays[std::size_t(index)]) + "\r\n"
               + FormatListing(frames.frame(index), form);
    return out;
}

QByteArray EncodeFramesPng(const PackedFrames &frames)
{
    const int width = frames.size.width, gap = 1;
    DotGrid strip(DotSize{frames.count() * (width + gap) - gap, frames.size.height});
    for (int index = 0; index < frames.count(); ++index) {
        const DotGrid dots = frames.dots(index);
        for (int y = 0; y < dots.height(); ++y)
            for (int x = 0; x < width; ++x)
                strip.set(index * (width + gap) + x, y, dots.lit(x, y));
    }
    return EncodePng(strip);
}

QByteArray FramesBraille(const PackedFrames &frames)
{
    QByteArray text;
    for (int index = 0; index < frames.count(); ++index)
        text += FrameTitle(index, frames.count(), frames.delays[std::size_t(index)]) + '\n'
                + BrailleText(frames.dots(index));
    return text;
}

namespace {

void appendLittleEndian(QByteArray &out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void appendBigEndian(QByteArray &out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
}

// The rows of the unlit dots, leftmost in the top bit: a lit dot is 0, black
// in the bitmap's palette and in a greyscale PNG.
QByteArray UnlitRows(const DotGrid &dots)
{
    DotGrid unlit = dots;
    unlit.invert();
    return PackDots(unlit, ByteLayout::RowsMsb);
}

void appendChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    appendBigEndian(out, std::uint32_t(data.size()));
    const QByteArray typed = QByteArray(type) + data;
    out += typed;
    appendBigEndian(out, std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
}

// The zlib stream of data, deflated at zlib's best level: the same data gives
// the same bytes. compress2 fails only where memory runs out, as any
// allocation here may.
QByteArray Deflated(const QByteArray &data)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(length), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &length, reinterpret_cast<const Bytef *>(data.constData()),
                  uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::bad_alloc();
    out.truncate(qsizetype(length));
    return out;
}

} // namespace

QByteArray EncodePng(const DotGrid &dots)
{
    const QByteArray rows = UnlitRows(dots);
    const qsizetype rowBytes = (dots.width() + 7) / 8;
    QByteArray filtered;
    filtered.reserve((rowBytes + 1) * dots.height());
    for (int y = 0; y < dots.height(); ++y) {
        filtered += '\0'; // filter type None
        filtered += QByteArrayView(rows).sliced(y * rowBytes, rowBytes);
    }
    QByteArray header;
    appendBigEndian(header, std::uint32_t(dots.width()));
    appendBigEndian(header, std::uint32_t(dots.height()));
    header += QByteArray("\x01\x00\x00\x00\x00", 5); // 1 bit, greyscale, deflate, no filter, no interlace

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", Deflated(filtered));
    appendChunk(out, "IEND", {});
    return out;
}

QByteArray EncodeBitmap(const DotGrid &dots)
{
    // A lit dot is palette entry 0.
    const QByteArray rows = UnlitRows(dots);
    const qsizetype rowBytes = (dots.width() + 7) / 8;
    const qsizetype paddedRowBytes = Bmp::RowBytes(dots.width(), LcdBitCount);
    constexpr int headerBytes = Bmp::FileHeaderSize + Bmp::InfoHeaderSize + 2 * Bmp::PaletteEntrySize;
    const qsizetype imageBytes = paddedRowBytes * dots.height();

    QByteArray out;
    out.reserve(headerBytes + imageBytes);
    out += "BM";
    appendLittleEndian(out, std::uint32_t(headerBytes + imageBytes), 4); // bfSize
    appendLittleEndian(out, 0, 4);                        // bfReserved1, bfReserved2
    appendLittleEndian(out, headerBytes, 4);              // bfOffBits
    appendLittleEndian(out, Bmp::InfoHeaderSize, 4);      // biSize
    appendLittleEndian(out, std::uint32_t(dots.width()), 4);
    appendLittleEndian(out, std::uint32_t(dots.height()), 4);
    appendLittleEndian(out, 1, 2);                        // biPlanes
    appendLittleEndian(out, LcdBitCount, 2);
    appendLittleEndian(out, 0, 4);                        // biCompression: none
    appendLittleEndian(out, std::uint32_t(imageBytes), 4); // biSizeImage
    out += QByteArray(16, '\0');                          // resolution, colours used, important
    appendLittleEndian(out, 0x00000000, 4);               // entry 0: black
    appendLittleEndian(out, 0x00FFFFFF, 4);               // entry 1: white

    for (int y = dots.height() - 1; y >= 0; --y) {
        out += QByteArrayView(rows).sliced(y * rowBytes, rowBytes);
        out += QByteArray(paddedRowBytes - rowBytes, '\0');
    }
    return out;
}

QByteArray BrailleText(const DotGrid &dots)
{
    // The bit of each dot of a character, by column and then row from the top.
    constexpr int bit[2][4] = {{0, 1, 2, 6}, {3, 4, 5, 7}};
    QByteArray text;
    for (int top = 0; top < dots.height(); top += 4) {
        for (int left = 0; left < dots.width(); left += 2) {
            unsigned raised = 0;
            for (int column = 0; column < 2; ++column)
                for (int row = 0; row < 4; ++row)
                    if (dots.lit(left + column, top + row))
                        raised |= 1u << bit[column][row];
            // U+2800 + raised in UTF-8: E2, A0 + the top two bits, 80 + the rest.
            text += char(0xE2);
            text += char(0xA0 | (raised >> 6));
            text += char(0x80 | (raised & 0x3F));
        }
        text += '\n';
    }
    return text;
}
