#pragma once

// The dots of a module: a grid of width x height dots, each lit or not, and
// the size of the one module the window is designed for. Every picture, once
// turned into dots, is a DotGrid; the byte layouts make bytes of it.

#include <cstdint>
#include <vector>

// A module's size in dots.
struct DotSize
{
    int width = 0;
    int height = 0;

    bool operator==(const DotSize &) const = default;
};

// The graphic LCD module of the design: 240 x 64 dots.
inline constexpr int LcdWidth = 240;
inline constexpr int LcdHeight = 64;
inline constexpr DotSize LcdSize{LcdWidth, LcdHeight};

// The sides a module may have.
inline constexpr int MaxModuleSide = 4096;

class DotGrid
{
public:
    DotGrid() = default;
    // All unlit; a side below 1 makes an empty grid.
    explicit DotGrid(DotSize size);

    DotSize size() const { return m_size; }
    int width() const { return m_size.width; }
    int height() const { return m_size.height; }

    // Whether (x, y) is lit; false outside the grid.
    bool lit(int x, int y) const { return contains(x, y) && m_dots[index(x, y)] != 0; }
    // Lights or clears (x, y); outside the grid nothing happens.
    void set(int x, int y, bool lit)
    {
        if (contains(x, y))
            m_dots[index(x, y)] = lit;
    }
    // Row y's dots from the left, one byte a dot (1 lit, 0 not), for loops
    // over whole rows; y must lie in the grid.
    const std::uint8_t *row(int y) const { return m_dots.data() + index(0, y); }
    std::uint8_t *row(int y) { return m_dots.data() + index(0, y); }
    // Every dot the other way round (lit becomes unlit).
    void invert();

    bool operator==(const DotGrid &) const = default;

private:
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_size.width && y < m_size.height; }
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(m_size.width) + std::size_t(x); }

    DotSize m_size;
    std::vector<std::uint8_t> m_dots; // one a dot, rows from the top
};
