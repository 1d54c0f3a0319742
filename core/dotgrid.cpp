#include "dotgrid.h"

DotGrid::DotGrid(DotSize size)
{
    if (size.width < 1 || size.height < 1)
        return;
    m_size = size;
    m_dots.assign(std::size_t(size.width) * std::size_t(size.height), 0);
}

void DotGrid::invert()
{
    for (std::uint8_t &dot : m_dots)
        dot = !dot;
}
