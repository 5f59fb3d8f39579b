#include "view/cell_text_placement.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using H = HorizontalAlignment;
using V = VerticalAlignment;

struct PlacementCase {
    const char* name;
    CellBox cell;
    CellMargins margins;
    int width, height;
    HorizontalAlignment hAlign;
    VerticalAlignment vAlign;
    int x, y;
};

// Paper: a chart cell of pitch 41 × 29 tenths of a millimetre, 4 in at the sides. Screen: a
// 12-pixel cell, 3 in except 1 at the bottom (plain text), 2 all round (turned text).
const PlacementCase kCases[] = {
    {"paper left top", {100, 200, 141, 229}, {4, 0, 4, 0}, 10, 14, H::Left, V::Top, 104, 200},
    {"paper right bottom", {100, 200, 141, 229}, {4, 0, 4, 0}, 10, 14, H::Right, V::Bottom, 127, 215},
    {"paper centred", {100, 200, 141, 229}, {4, 0, 4, 0}, 10, 14, H::Center, V::Center, 115, 207},
    // Taller than the cell by 11: above it by half the excess, the halving toward zero.
    {"paper tall text overhangs", {100, 200, 141, 229}, {4, 0, 4, 0}, 10, 40, H::Center, V::Center, 115, 195},
    {"paper wide text right", {100, 200, 141, 229}, {4, 0, 4, 0}, 40, 14, H::Right, V::Top, 97, 200},
    // One pixel too little room each way: -1 / 2 is 0, so the text starts at the inner edge.
    {"screen centred, a pixel short", {0, 0, 12, 12}, {3, 3, 3, 1}, 7, 9, H::Center, V::Center, 3, 3},
    {"screen bottom margin", {0, 0, 12, 12}, {3, 3, 3, 1}, 4, 5, H::Left, V::Bottom, 3, 6},
    {"screen turned column number", {24, 0, 36, 24}, {2, 2, 2, 2}, 9, 20, H::Left, V::Bottom, 26, 2},
};

TEST(CellTextPlacement, AlignsTheTextsBoxInTheCellLessItsMargins)
{
    for (const PlacementCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const CellBox box = PlaceCellText(c.cell, c.margins, c.width, c.height, c.hAlign, c.vAlign);
        EXPECT_EQ(box, (CellBox{c.x, c.y, c.x + c.width, c.y + c.height}));
    }
}

} // namespace
} // namespace velmora
