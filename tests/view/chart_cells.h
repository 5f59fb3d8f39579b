#pragma once

#include "scheme/cell_table.h"

#include <string>

namespace velmora {

// A chart's cells as the main window fills them: the column numbers turned in row 0, the row
// numbers in column 0, `symbol(c, r)` in stitch (c, r) and an empty last row.
template <class Symbol>
CellTable ChartCells(int width, int height, Symbol symbol)
{
    CellTable cells;
    cells.setColumns(width + 1);
    cells.setRows(height + 2);
    for (int c = 1; c <= width; ++c)
        cells.setRotatedText(c, 0, " " + std::to_string(c));
    for (int r = 1; r <= height; ++r) {
        cells.setText(0, r, std::to_string(r));
        for (int c = 1; c <= width; ++c)
            cells.setText(c, r, symbol(c, r));
    }
    return cells;
}

} // namespace velmora
