#include "greyrows.h"

#include <utility>

GreyRows::GreyRows(const Preparation &how, DotSize module, Turn turn, bool hold)
    : m_how(how), m_module(module), m_turn(turn), m_hold(hold)
{
}

DotSize GreyRows::fitted(DotSize size, Turn upright) const
{
    if (m_hold)
        return size;
    const DotSize turned = TurnedSize(TurnedSize(size, upright), m_turn);
    const Placement place = PlaceOnModule(turned.width, turned.height, m_how.fit, m_how.align, m_module);
    // A quarter turn swaps the sides: twice swaps them back.
    return TurnedSize(TurnedSize({place.width, place.height}, m_turn), upright);
}

void GreyRows::begin(DotSize size, Turn upright)
{
    m_size = size;
    m_upright = upright;
    if (!m_hold && upright == Turn{} && m_turn == Turn{}) {
        m_place = PlaceOnModule(size.width, size.height, m_how.fit, m_how.align, m_module);
        m_fit.emplace(size.width, size.height, m_place, m_how.background, m_module);
    } else {
        m_plane.reserve(std::size_t(size.width) * std::size_t(size.height));
    }
}

void GreyRows::add(const std::uint8_t *row)
{
    if (m_fit)
        m_fit->add(row);
    else
        m_plane.insert(m_plane.end(), row, row + m_size.width);
}

void GreyRows::take(std::vector<std::uint8_t> plane, DotSize size, Turn upright)
{
    m_size = size;
    m_upright = upright;
    m_plane = std::move(plane);
}

PreparedDots GreyRows::prepared()
{
    if (m_fit)
        return DotsOfFitted(m_fit->greys(), m_place, m_how, m_module);
    const DotSize size = TurnedSize(m_size, m_upright);
    return PrepareGreys(TurnPlane(std::move(m_plane), m_size, m_upright), size.width, size.height, m_how, m_module, m_turn);
}

GreyPicture GreyRows::picture()
{
    GreyPicture picture;
    const DotSize size = TurnedSize(m_size, m_upright);
    picture.width = size.width;
    picture.height = size.height;
    picture.greys = TurnPlane(std::move(m_plane), m_size, m_upright);
    return picture;
}
