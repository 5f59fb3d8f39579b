#pragma once

#include "view/grid_model.h"
#include "view/print_canvas.h"

#include <span>
#include <string_view>

namespace velmora {

// What a printed page's cells are drawn through, page by page and row by row: each cell gives its
// fill, then its texts, then its edges. The layout has placed everything already; a sink only
// decides how it reaches the canvas.
class PrintCellSink {
public:
    virtual ~PrintCellSink() = default;

    // Starts a page whose columns begin at `columnX` (one more entry: the last column's end).
    virtual void BeginPage(std::span<const int> columnX) = 0;
    // Starts the next row of the page, from `top` to `bottom`.
    virtual void BeginRow(int top, int bottom) = 0;
    // The cells of the current row, by column of the page (0 = the first column drawn).
    virtual void Fill(int column, ColorValue color) = 0;
    virtual void Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect& clip) = 0;
    virtual void Borders(int column, const GridPen& pen, PenStyle style, const CellBorders& borders) = 0;
    // The same with a pen of its own for each edge.
    virtual void Borders(int column, const CellEdgePens& pens, PenStyle style, const CellBorders& borders) = 0;
    // The page is complete.
    virtual void EndPage() = 0;
};

} // namespace velmora
