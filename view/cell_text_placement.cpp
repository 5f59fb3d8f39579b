#include "view/cell_text_placement.h"

namespace velmora {

namespace {

// The start of a `size` long span aligned between `from` and `to`.
int AlignSpan(int from, int to, int size, bool toStart, bool toEnd)
{
    if (toStart)
        return from;
    if (toEnd)
        return to - size;
    return from + (to - from - size) / 2;
}

} // namespace

CellBox PlaceCellText(const CellBox& cell, const CellMargins& margins, int width, int height, TAlignment hAlign,
                      TVAlignment vAlign)
{
    const CellBox room{cell.left + margins.left, cell.top + margins.top, cell.right - margins.right,
                       cell.bottom - margins.bottom};
    const int x = AlignSpan(room.left, room.right, width, hAlign == TAlignment::taLeftJustify,
                            hAlign == TAlignment::taRightJustify);
    const int y = AlignSpan(room.top, room.bottom, height, vAlign == TVAlignment::vtaTop,
                            vAlign == TVAlignment::vtaBottom);
    return {x, y, x + width, y + height};
}

} // namespace velmora
