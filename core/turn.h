#pragma once

// Turning a picture before it goes to the module: a quarter-turn rotation,
// clockwise, then a flip, for modules mounted upside down or on their side.

#include "dotgrid.h"

#include <cstdint>
#include <vector>

enum class Rotation { None, Quarter, Half, ThreeQuarters }; // 0, 90, 180 and 270 degrees clockwise
enum class Flip { None, Horizontal, Vertical };             // left and right, or top and bottom

struct Turn
{
    Rotation rotation = Rotation::None;
    Flip flip = Flip::None;

    bool operator==(const Turn &) const = default;
};

// The size of a picture of size once turned: its sides swap for a quarter
// or three quarters.
DotSize TurnedSize(DotSize size, Turn turn);

// Where the pixel at (x, y) of the turned picture lies in the picture of
// size before the turn.
struct Point
{
    int x = 0;
    int y = 0;
};
Point BeforeTurn(int x, int y, DotSize size, Turn turn);

// The dots turned.
DotGrid TurnDots(const DotGrid &dots, Turn turn);

// A plane of one byte a pixel, rows from the top, of size, turned; values
// that do not hold size's pixels, or no turn, are given back as they are
// (moved in, they are never copied: a photo's plane is tens of megabytes).
std::vector<std::uint8_t> TurnPlane(std::vector<std::uint8_t> values, DotSize size, Turn turn);
