#pragma once

// Where a decoder hands a picture's greys: a row at a time from the top, or
// as a whole plane. Prepared for the module as the rows come when no turn
// applies, else held whole (turned needs all of it) and prepared at the end.

#include "greypicture.h"

#include <optional>

class GreyRows
{
public:
    // Prepared by how for module, turned by turn after the picture's own
    // turn upright; or, with hold, only held (see picture()).
    GreyRows(const Preparation &how, DotSize module, Turn turn, bool hold = false);

    // The size a picture of size is fitted to, upright and turn applied,
    // measured on the picture as it lies in the file; held, size itself.
    DotSize fitted(DotSize size, Turn upright) const;

    // A picture of size, to be turned by upright before anything else; then
    // its rows, each size.width greys.
    void begin(DotSize size, Turn upright);
    void add(const std::uint8_t *row);
    // The same, a whole plane at once.
    void take(std::vector<std::uint8_t> plane, DotSize size, Turn upright);

    // The dots, once every row is in.
    PreparedDots prepared();
    // The held plane, turned upright.
    GreyPicture picture();

private:
    Preparation m_how;
    DotSize m_module;
    Turn m_turn;
    bool m_hold;
    DotSize m_size;
    Turn m_upright;
    Placement m_place;
    std::optional<GreyFit> m_fit; // the rows' area average when not held
    std::vector<std::uint8_t> m_plane;
};
