#include "turn.h"

DotSize TurnedSize(DotSize size, Turn turn)
{
    const bool sideways = turn.rotation == Rotation::Quarter || turn.rotation == Rotation::ThreeQuarters;
    return sideways ? DotSize{size.height, size.width} : size;
}

Point BeforeTurn(int x, int y, DotSize size, Turn turn)
{
    const DotSize turned = TurnedSize(size, turn);
    // The flip came last: undo it first.
    if (turn.flip == Flip::Horizontal)
        x = turned.width - 1 - x;
    else if (turn.flip == Flip::Vertical)
        y = turned.height - 1 - y;
    // Clockwise by a quarter, the left column becomes the top row.
    switch (turn.rotation) {
    case Rotation::None:
        return {x, y};
    case Rotation::Quarter:
        return {y, size.height - 1 - x};
    case Rotation::Half:
        return {size.width - 1 - x, size.height - 1 - y};
    case Rotation::ThreeQuarters:
        return {size.width - 1 - y, x};
    }
    return {x, y};
}

DotGrid TurnDots(const DotGrid &dots, Turn turn)
{
    if (turn == Turn{})
        return dots;
    DotGrid turned(TurnedSize(dots.size(), turn));
    for (int y = 0; y < turned.height(); ++y) {
        for (int x = 0; x < turned.width(); ++x) {
            const Point from = BeforeTurn(x, y, dots.size(), turn);
            turned.set(x, y, dots.lit(from.x, from.y));
        }
    }
    return turned;
}

std::vector<std::uint8_t> TurnPlane(std::vector<std::uint8_t> values, DotSize size, Turn turn)
{
    const std::size_t width = std::size_t(size.width), height = std::size_t(size.height);
    if (turn == Turn{} || size.width < 1 || size.height < 1 || values.size() != width * height)
        return values;
    const DotSize turnedSize = TurnedSize(size, turn);
    std::vector<std::uint8_t> turned(values.size());
    std::size_t at = 0;
    for (int y = 0; y < turnedSize.height; ++y) {
        for (int x = 0; x < turnedSize.width; ++x) {
            const Point from = BeforeTurn(x, y, size, turn);
            turned[at++] = values[std::size_t(from.y) * width + std::size_t(from.x)];
        }
    }
    return turned;
}
