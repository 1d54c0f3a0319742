#include "preparation.h"

#include <algorithm>
#include <span>
#include <utility>

namespace {

// round(numerator / denominator), halves up, and at least 1.
int RoundedSide(qint64 numerator, qint64 denominator)
{
    return int(std::max<qint64>(1, (2 * numerator + denominator) / (2 * denominator)));
}

// The source pixels under target pixel j when n pixels are scaled to m: on a
// common axis source pixel i covers [i * m, (i + 1) * m) and target pixel j
// covers [j * n, (j + 1) * n).
struct Span
{
    qint64 first;
    qint64 last;
};

Span SourceSpan(qint64 j, qint64 n, qint64 m)
{
    return {j * n / m, ((j + 1) * n - 1) / m};
}

qint64 Overlap(qint64 i, qint64 j, qint64 n, qint64 m)
{
    return std::min((i + 1) * m, (j + 1) * n) - std::max(i * m, j * n);
}

// Entry (x, y) of the n x n ordered-dither matrix, x and y below n: M2 is
// [[0, 2], [3, 1]] and M2k is made of the blocks 4Mk, 4Mk + 2 over
// 4Mk + 3, 4Mk + 1.
int BayerEntry(int n, int x, int y)
{
    static constexpr int M2[2][2] = {{0, 2}, {3, 1}};
    if (n == 2)
        return M2[y][x];
    const int k = n / 2;
    return 4 * BayerEntry(k, x % k, y % k) + M2[y / k][x / k];
}

// Where the error of a pixel goes: to (x + dx, y + dy), parts / divisor of it.
struct Share
{
    int dx;
    int dy;
    int parts;
};

constexpr Share FloydSteinbergShares[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
constexpr Share AtkinsonShares[] = {{1, 0, 1}, {2, 0, 1}, {-1, 1, 1}, {0, 1, 1}, {1, 1, 1}, {0, 2, 1}};

// Error diffusion: rows from the top, each left to right; a pixel is lit when
// its value is below the threshold, and the difference to 0 (lit) or 255
// (unlit) is shared out, each share truncated toward zero, never clamped.
void Diffuse(const std::vector<std::uint8_t> &greys, int threshold, std::span<const Share> shares,
             int divisor, DotGrid &dots)
{
    const int width = dots.width(), height = dots.height();
    std::vector<int> values(greys.begin(), greys.end());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int v = values[std::size_t(y) * width + x];
            const bool lit = v < threshold;
            dots.set(x, y, lit);
            const int error = v - (lit ? 0 : 255);
            for (const Share &share : shares) {
                const int nx = x + share.dx, ny = y + share.dy;
                if (nx >= 0 && nx < width && ny < height)
                    values[std::size_t(ny) * width + nx] += share.parts * error / divisor;
            }
        }
    }
}

// floor(a * a / m), exactly, for a below 2^127 and m from 1 to 2^127 - 1
// whose quotient is below 2^128: the square as two halves of 128 bits, then
// divided bit by bit where it does not fit in one.
unsigned __int128 SquareOver(unsigned __int128 a, unsigned __int128 m)
{
    using Wide = unsigned __int128;
    const Wide low64 = std::uint64_t(a), high64 = a >> 64, cross = low64 * high64;
    Wide low = low64 * low64, high = high64 * high64 + (cross >> 63);
    const Wide crossLow = cross << 65;
    low += crossLow;
    high += low < crossLow;
    if (high == 0)
        return low / m;
    Wide quotient = 0, remainder = 0;
    for (int bit = 255; bit >= 0; --bit) {
        remainder = (remainder << 1) | ((bit >= 128 ? high >> (bit - 128) : low >> bit) & 1);
        quotient <<= 1;
        if (remainder >= m) {
            remainder -= m;
            quotient |= 1;
        }
    }
    return quotient;
}

} // namespace

bool IsUsable(const RgbaImage &image)
{
    return image.width >= 1 && image.height >= 1 && image.width <= MaxPictureSide
        && image.height <= MaxPictureSide
        && image.rgba.size() == 4 * std::size_t(image.width) * std::size_t(image.height);
}

Placement PlaceOnModule(int width, int height, Fit fit, Align align, DotSize module)
{
    if (width < 1 || height < 1 || width > MaxPictureSide || height > MaxPictureSide)
        return {};
    const int W = module.width, H = module.height;
    Placement place{W, H, 0, 0};
    if (fit == Fit::Stretch || (width == W && height == H))
        return place;
    if (fit == Fit::None) {
        place.width = width;
        place.height = height;
    } else {
        // W / w against H / h: contain takes the smaller scale, cover the larger.
        const qint64 byWidth = qint64(W) * height, byHeight = qint64(H) * width;
        if (fit == Fit::Contain ? byWidth <= byHeight : byWidth >= byHeight)
            place.height = RoundedSide(qint64(height) * W, width);
        else
            place.width = RoundedSide(qint64(width) * H, height);
    }
    const bool left = align == Align::Left || align == Align::TopLeft || align == Align::BottomLeft;
    const bool right = align == Align::Right || align == Align::TopRight || align == Align::BottomRight;
    const bool top = align == Align::Top || align == Align::TopLeft || align == Align::TopRight;
    const bool bottom = align == Align::Bottom || align == Align::BottomLeft || align == Align::BottomRight;
    place.left = left ? 0 : right ? W - place.width : (W - place.width) / 2;
    place.top = top ? 0 : bottom ? H - place.height : (H - place.height) / 2;
    return place;
}

int BackgroundGrey(Background background)
{
    return background == Background::White ? 255 : 0;
}

std::vector<std::uint8_t> GreysOver(const RgbaImage &image, Background background)
{
    std::vector<std::uint8_t> greys;
    if (!IsUsable(image))
        return greys;
    const int b = BackgroundGrey(background);
    greys.resize(std::size_t(image.width) * std::size_t(image.height));
    for (std::size_t p = 0; p < greys.size(); ++p) {
        const std::uint8_t *pixel = &image.rgba[4 * p];
        greys[p] = GreyOver(pixel[0], pixel[1], pixel[2], pixel[3], b);
    }
    return greys;
}

GreyFit::GreyFit(int width, int height, const Placement &place, Background background, DotSize module)
    : m_width(width), m_height(height), m_place(place), m_module(module), m_background(BackgroundGrey(background)),
      m_sums(std::size_t(module.width) * std::size_t(module.height)), m_across(std::size_t(module.width))
{
    // The overlaps of each column in view with the pixels of a row, which
    // every row shares: each at most min(width, place.width) <= 2^23.
    const int firstX = std::max(0, place.left), endX = std::min(module.width, place.left + place.width);
    for (int x = firstX; x < endX; ++x) {
        const qint64 column = x - place.left;
        const Span columns = SourceSpan(column, width, place.width);
        m_firstPixel.push_back(std::size_t(columns.first));
        m_firstWeight.push_back(m_weights.size());
        for (qint64 k = columns.first; k <= columns.last; ++k)
            m_weights.push_back(std::int32_t(Overlap(k, column, width, place.width)));
    }
    m_firstWeight.push_back(m_weights.size());
}

void GreyFit::add(const std::uint8_t *row)
{
    // Each module pixel is the sum of the picture's greys weighted by the
    // area they overlap, divided by its own area width * height, rounded
    // once: row i adds to the module rows whose span holds it.
    const qint64 i = m_row++;
    if (i >= m_height || m_place.width == 0)
        return;
    const Placement &place = m_place;
    const Span down = SourceSpan(i, place.height, m_height);
    const qint64 firstJ = std::max<qint64>(down.first, -place.top);
    const qint64 lastJ = std::min<qint64>(down.last, m_module.height - place.top - 1);
    if (firstJ > lastJ)
        return;
    const int firstX = std::max(0, place.left), endX = std::min(m_module.width, place.left + place.width);
    for (int x = firstX; x < endX; ++x) {
        const std::size_t c = std::size_t(x - firstX);
        const std::uint8_t *pixel = row + m_firstPixel[c];
        qint64 across = 0;
        for (std::size_t w = m_firstWeight[c]; w < m_firstWeight[c + 1]; ++w)
            across += qint64(*pixel++) * m_weights[w];
        m_across[std::size_t(x)] = across;
    }
    for (qint64 j = firstJ; j <= lastJ; ++j) {
        const qint64 weight = Overlap(i, j, m_height, place.height);
        qint64 *sums = &m_sums[std::size_t(j + place.top) * std::size_t(m_module.width)];
        for (int x = firstX; x < endX; ++x)
            sums[x] += m_across[std::size_t(x)] * weight;
    }
}

std::vector<std::uint8_t> GreyFit::greys() const
{
    const int W = m_module.width, H = m_module.height;
    std::vector<std::uint8_t> canvas(std::size_t(W) * std::size_t(H), std::uint8_t(m_background));
    if (m_place.width == 0)
        return canvas;
    const qint64 area = qint64(m_width) * m_height;
    for (int y = std::max(0, m_place.top); y < std::min(H, m_place.top + m_place.height); ++y)
        for (int x = std::max(0, m_place.left); x < std::min(W, m_place.left + m_place.width); ++x) {
            const std::size_t at = std::size_t(y) * W + x;
            canvas[at] = std::uint8_t((m_sums[at] + area / 2) / area);
        }
    return canvas;
}

std::vector<std::uint8_t> FitGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                                   const Placement &place, Background background, DotSize module)
{
    const bool whole = std::size_t(width) * std::size_t(height) == greys.size();
    GreyFit fit(width, height, whole ? place : Placement{}, background, module);
    for (int y = 0; whole && y < height; ++y)
        fit.add(&greys[std::size_t(y) * std::size_t(width)]);
    return fit.greys();
}

DotGrid MakeDots(const std::vector<std::uint8_t> &greys, DotSize module, int threshold, Dither dither)
{
    DotGrid dots(module);
    if (greys.size() != std::size_t(dots.width()) * std::size_t(dots.height()))
        return dots;
    const int t = std::clamp(threshold, 0, 256);
    switch (dither) {
    case Dither::None:
        for (int y = 0; y < dots.height(); ++y)
            for (int x = 0; x < dots.width(); ++x)
                dots.set(x, y, greys[std::size_t(y) * dots.width() + x] < t);
        break;
    case Dither::FloydSteinberg:
        Diffuse(greys, t, FloydSteinbergShares, 16, dots);
        break;
    case Dither::Atkinson:
        Diffuse(greys, t, AtkinsonShares, 8, dots);
        break;
    case Dither::Bayer4:
    case Dither::Bayer8: {
        const int n = dither == Dither::Bayer4 ? 4 : 8;
        for (int y = 0; y < dots.height(); ++y) {
            for (int x = 0; x < dots.width(); ++x) {
                const int grey = greys[std::size_t(y) * dots.width() + x];
                dots.set(x, y, 2 * n * n * (grey - t + 128) < 255 * (2 * BayerEntry(n, x % n, y % n) + 1));
            }
        }
        break;
    }
    }
    return dots;
}

void CountGreys(const std::vector<std::uint8_t> &greys, DotSize module, const Placement &place, GreyCounts &count)
{
    if (greys.size() != std::size_t(module.width) * std::size_t(module.height))
        return;
    for (int y = std::max(0, place.top); y < std::min(module.height, place.top + place.height); ++y)
        for (int x = std::max(0, place.left); x < std::min(module.width, place.left + place.width); ++x)
            ++count[greys[std::size_t(y) * module.width + x]];
}

int OtsuThreshold(const std::vector<std::uint8_t> &greys, DotSize module, const Placement &place)
{
    GreyCounts count{};
    CountGreys(greys, module, place, count);
    return OtsuThreshold(count);
}

int OtsuThreshold(const GreyCounts &count)
{
    std::uint64_t n = 0, s = 0;
    for (int g = 0; g < 256; ++g) {
        n += count[g];
        s += count[g] * std::uint64_t(g);
    }
    int best = 128;
    unsigned __int128 bestScore = 0;
    bool found = false;
    std::uint64_t n0 = 0, s0 = 0;
    for (int t = 1; t <= 255; ++t) {
        // n0 and s0 of the greys below t.
        n0 += count[t - 1];
        s0 += count[t - 1] * std::uint64_t(t - 1);
        if (n0 == 0 || n0 == n)
            continue;
        // |N s0 - n0 S| < N S < 2^88 for 2^40 greys: its square takes SquareOver.
        const __int128 difference = __int128(n) * s0 - __int128(n0) * s;
        const auto magnitude = static_cast<unsigned __int128>(difference < 0 ? -difference : difference);
        const unsigned __int128 score = SquareOver(magnitude, static_cast<unsigned __int128>(n0) * (n - n0));
        if (!found || score > bestScore) {
            found = true;
            best = t;
            bestScore = score;
        }
    }
    return best;
}

PreparedDots Prepare(const RgbaImage &image, const Preparation &how, DotSize module, Turn turn)
{
    return PrepareGreys(GreysOver(image, how.background), image.width, image.height, how, module, turn);
}

FittedGreys FitPicture(std::vector<std::uint8_t> greys, int width, int height, const Preparation &how, DotSize module,
                       Turn turn)
{
    const DotSize turned = TurnedSize({width, height}, turn);
    const Placement place = PlaceOnModule(turned.width, turned.height, how.fit, how.align, module);
    return {FitGreys(TurnPlane(std::move(greys), {width, height}, turn), turned.width, turned.height, place,
                     how.background, module),
            place};
}

PreparedDots PrepareGreys(std::vector<std::uint8_t> greys, int width, int height, const Preparation &how,
                          DotSize module, Turn turn)
{
    const auto [fitted, place] = FitPicture(std::move(greys), width, height, how, module, turn);
    return DotsOfFitted(fitted, place, how, module);
}

PreparedDots DotsOfFitted(const std::vector<std::uint8_t> &fitted, const Placement &place, const Preparation &how,
                          DotSize module)
{
    const int threshold = how.autoThreshold ? OtsuThreshold(fitted, module, place) : how.threshold;
    return {MakeDots(fitted, module, threshold, how.dither), threshold};
}
