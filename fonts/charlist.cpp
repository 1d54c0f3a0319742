#include "charlist.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>

namespace {

constexpr char32_t LastCode = 0x10FFFF;

bool IsSurrogate(char32_t code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

int HexValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// 65, 0x41 or U+0041, up to U+10FFFF and no surrogate.
std::optional<char32_t> CodeNumber(QByteArrayView item)
{
    int base = 10;
    if (item.startsWith("0x") || item.startsWith("0X") || item.startsWith("U+") || item.startsWith("u+")) {
        base = 16;
        item = item.sliced(2);
    }
    if (item.isEmpty() || item.size() > 8)
        return std::nullopt;
    char32_t code = 0;
    for (const char c : item) {
        const int digit = base == 16 ? HexValue(c) : c >= '0' && c <= '9' ? c - '0' : -1;
        if (digit < 0)
            return std::nullopt;
        code = code * base + char32_t(digit);
    }
    if (code > LastCode || IsSurrogate(code))
        return std::nullopt;
    return code;
}

// A code point, or a text of exactly one character.
std::optional<char32_t> RangeEnd(QByteArrayView side)
{
    if (const std::optional<char32_t> code = CodeNumber(side))
        return code;
    const std::optional<std::vector<char32_t>> chars = DecodeUtf8(side);
    if (chars && chars->size() == 1 && !(side.front() >= '0' && side.front() <= '9'))
        return chars->front();
    return std::nullopt;
}

void Distinct(std::vector<char32_t> &codes)
{
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
}

} // namespace

std::optional<std::vector<char32_t>> DecodeUtf8(QByteArrayView text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError())
        return std::nullopt;
    std::vector<char32_t> codes;
    codes.reserve(std::size_t(decoded.size()));
    for (const char32_t code : decoded.toUcs4())
        codes.push_back(code);
    return codes;
}

CharList ParseCharList(QByteArrayView list)
{
    CharList result;
    for (const QByteArray &item : list.toByteArray().split(',')) {
        if (const std::optional<char32_t> code = CodeNumber(item)) {
            result.codes.push_back(*code);
            continue;
        }
        bool ranged = false;
        for (qsizetype dash = item.indexOf('-', 1); dash > 0 && !ranged; dash = item.indexOf('-', dash + 1)) {
            const std::optional<char32_t> first = RangeEnd(QByteArrayView(item).first(dash));
            const std::optional<char32_t> last = RangeEnd(QByteArrayView(item).sliced(dash + 1));
            if (!first || !last)
                continue;
            if (*last < *first) {
                result.wrongItem = item;
                return result;
            }
            for (char32_t code = *first; code <= *last; ++code)
                if (!IsSurrogate(code))
                    result.codes.push_back(code);
            ranged = true;
        }
        if (ranged)
            continue;
        const std::optional<std::vector<char32_t>> chars = DecodeUtf8(item);
        const bool numberLike = !item.isEmpty() && ((item[0] >= '0' && item[0] <= '9') || item.startsWith("U+") || item.startsWith("u+"));
        if (!chars || chars->empty() || numberLike) {
            result.wrongItem = item.isEmpty() ? QByteArray("''") : item;
            return result;
        }
        result.codes.insert(result.codes.end(), chars->begin(), chars->end());
    }
    Distinct(result.codes);
    return result;
}

std::optional<std::vector<char32_t>> CharsOfText(QByteArrayView text)
{
    std::optional<std::vector<char32_t>> codes = DecodeUtf8(text);
    if (codes) {
        std::erase_if(*codes, IsControl);
        Distinct(*codes);
    }
    return codes;
}

bool IsControl(char32_t code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

QByteArray CharName(char32_t code)
{
    char number[16];
    QByteArray name(number, std::snprintf(number, sizeof number, "U+%04X", unsigned(code)));
    if (!IsControl(code)) {
        // Through QChar: QString::fromUcs4 would drop U+FEFF as a byte order mark.
        const char32_t shown = code > LastCode || IsSurrogate(code) ? 0xFFFD : code;
        name += " '" + QStringView(QChar::fromUcs4(shown)).toUtf8() + '\'';
    }
    return name;
}
