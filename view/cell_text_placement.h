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

// Where the box of a cell's text goes, for the screen and for paper alike. The text's box, `width`
// by `height` as it lies on the cell (a turned text's turned extent), is aligned in the cell less
// its margins: left (top) against the inner left (top) edge, right (bottom) against the inner
// right (bottom) edge, centred with the halving truncated toward zero, so that a text larger than
// the room overhangs it on both sides.
CellBox PlaceCellText(const CellBox& cell, const CellMargins& margins, int width, int height, TAlignment hAlign,
                      TVAlignment vAlign);

} // namespace velmora
