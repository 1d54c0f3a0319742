#include "preparation.h"

#include <algorithm>
#include <span>

namespace {

constexpr int LcdPixels = LcdWidth * LcdHeight;

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
             int divisor, std::vector<std::uint8_t> &dots)
{
    std::vector<int> values(greys.begin(), greys.end());
    for (int y = 0; y < LcdHeight; ++y) {
        for (int x = 0; x < LcdWidth; ++x) {
            const int v = values[std::size_t(y * LcdWidth + x)];
            const bool lit = v < threshold;
            dots[std::size_t(y * LcdWidth + x)] = lit;
            const int error = v - (lit ? 0 : 255);
            for (const Share &share : shares) {
                const int nx = x + share.dx, ny = y + share.dy;
                if (nx >= 0 && nx < LcdWidth && ny < LcdHeight)
                    values[std::size_t(ny * LcdWidth + nx)] += share.parts * error / divisor;
            }
        }
    }
}

} // namespace

bool IsUsable(const RgbaImage &image)
{
    return image.width >= 1 && image.height >= 1 && image.width <= MaxPictureSide
        && image.height <= MaxPictureSide
        && image.rgba.size() == 4 * std::size_t(image.width) * std::size_t(image.height);
}

Placement PlaceOnLcd(int width, int height, Fit fit)
{
    if (width < 1 || height < 1 || width > MaxPictureSide || height > MaxPictureSide)
        return {};
    Placement place{LcdWidth, LcdHeight, 0, 0};
    if (fit == Fit::Stretch || (width == LcdWidth && height == LcdHeight))
        return place;
    // 240 / w against 64 / h: contain takes the smaller scale, cover the larger.
    const qint64 byWidth = qint64(LcdWidth) * height, byHeight = qint64(LcdHeight) * width;
    if (fit == Fit::Contain ? byWidth <= byHeight : byWidth >= byHeight)
        place.height = RoundedSide(qint64(height) * LcdWidth, width);
    else
        place.width = RoundedSide(qint64(width) * LcdHeight, height);
    place.left = (LcdWidth - place.width) / 2;
    place.top = (LcdHeight - place.height) / 2;
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

std::vector<std::uint8_t> FitGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                                   Fit fit, Background background)
{
    std::vector<std::uint8_t> canvas(LcdPixels, std::uint8_t(BackgroundGrey(background)));
    const Placement place = PlaceOnLcd(width, height, fit);
    if (place.width == 0 || std::size_t(width) * std::size_t(height) != greys.size())
        return canvas;
    // Each target pixel is the sum of the source greys weighted by the area
    // they overlap, divided by its own area width * height, rounded once.
    const qint64 area = qint64(width) * height;
    const int firstX = std::max(0, place.left), endX = std::min(LcdWidth, place.left + place.width);
    const int firstY = std::max(0, place.top), endY = std::min(LcdHeight, place.top + place.height);
    std::vector<qint64> sums(LcdWidth);
    for (int y = firstY; y < endY; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const qint64 row = y - place.top;
        const Span rows = SourceSpan(row, height, place.height);
        for (qint64 i = rows.first; i <= rows.last; ++i) {
            const qint64 down = Overlap(i, row, height, place.height);
            const std::uint8_t *source = &greys[std::size_t(i * width)];
            for (int x = firstX; x < endX; ++x) {
                const qint64 column = x - place.left;
                const Span columns = SourceSpan(column, width, place.width);
                qint64 across = 0;
                for (qint64 k = columns.first; k <= columns.last; ++k)
                    across += source[k] * Overlap(k, column, width, place.width);
                sums[std::size_t(x)] += across * down;
            }
        }
        for (int x = firstX; x < endX; ++x)
            canvas[std::size_t(y * LcdWidth + x)] = std::uint8_t((sums[std::size_t(x)] + area / 2) / area);
    }
    return canvas;
}

std::vector<std::uint8_t> Dots(const std::vector<std::uint8_t> &lcdGreys, int threshold,
                               Dither dither)
{
    std::vector<std::uint8_t> dots(LcdPixels, 0);
    if (lcdGreys.size() != dots.size())
        return dots;
    const int t = std::clamp(threshold, 0, 256);
    switch (dither) {
    case Dither::None:
        for (std::size_t p = 0; p < dots.size(); ++p)
            dots[p] = lcdGreys[p] < t;
        break;
    case Dither::FloydSteinberg:
        Diffuse(lcdGreys, t, FloydSteinbergShares, 16, dots);
        break;
    case Dither::Atkinson:
        Diffuse(lcdGreys, t, AtkinsonShares, 8, dots);
        break;
    case Dither::Bayer4:
    case Dither::Bayer8: {
        const int n = dither == Dither::Bayer4 ? 4 : 8;
        for (int y = 0; y < LcdHeight; ++y) {
            for (int x = 0; x < LcdWidth; ++x) {
                const std::size_t p = std::size_t(y * LcdWidth + x);
                dots[p] = 2 * n * n * (lcdGreys[p] - t + 128) < 255 * (2 * BayerEntry(n, x % n, y % n) + 1);
            }
        }
        break;
    }
    }
    return dots;
}

RgbColour PreparedPicture::pixelColour(int x, int y) const
{
    const bool inside = x >= 0 && x < LcdWidth && y >= 0 && y < LcdHeight && dots.size() == LcdPixels;
    return inside && dots[std::size_t(y * LcdWidth + x)] ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
}

PreparedPicture Prepare(const RgbaImage &image, const Preparation &how)
{
    return PrepareGreys(GreysOver(image, how.background), image.width, image.height, how);
}

PreparedPicture PrepareGreys(const std::vector<std::uint8_t> &greys, int width, int height,
                             const Preparation &how)
{
    PreparedPicture picture;
    picture.dots = Dots(FitGreys(greys, width, height, how.fit, how.background), how.threshold, how.dither);
    return picture;
}
