#pragma once

#include "view/grid_model.h"

namespace velmora {

// The edges of a rectangle in whatever unit the caller draws in (screen pixels, tenths of a
// millimetre on paper): right and bottom are the first unit outside it, so right − left is its
// width.
struct CellBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CellBox&, const CellBox&) = default;
};

// How far a cell's text keeps in from each edge of the cell.
struct CellMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

namespace detail {

// The start of a `size` long span aligned between `from` and `to`.
constexpr int AlignSpan(int from, int to, int size, bool toStart, bool toEnd)
{
    if (toStart)
        return from;
    if (toEnd)
        return to - size;
    return from + (to - from - size) / 2;
}

} // namespace detail

// Where the box of a cell's text goes, for the screen and for paper alike. The text's box, `width`
// by `height` as it lies on the cell (a turned text's turned extent), is aligned in the cell less
// its margins: left (top) against the inner left (top) edge, right (bottom) against the inner
// right (bottom) edge, centred with the halving truncated toward zero, so that a text larger than
// the room overhangs it on both sides. Inline: a chart's printing asks it a million times.
constexpr CellBox PlaceCellText(const CellBox& cell, const CellMargins& margins, int width, int height,
                                HorizontalAlignment hAlign, VerticalAlignment vAlign)
{
    const int x = detail::AlignSpan(cell.left + margins.left, cell.right - margins.right, width,
                                    hAlign == HorizontalAlignment::Left, hAlign == HorizontalAlignment::Right);
    const int y = detail::AlignSpan(cell.top + margins.top, cell.bottom - margins.bottom, height,
                                    vAlign == VerticalAlignment::Top, vAlign == VerticalAlignment::Bottom);
    return {x, y, x + width, y + height};
}

} // namespace velmora
