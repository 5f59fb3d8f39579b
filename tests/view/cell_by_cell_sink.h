#pragma once

#include "view/print_cell_sink.h"
#include "view/print_layout.h"

#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace velmora {

// Draws every cell the moment it is laid out, one canvas call for each fill, text and line: the
// plain way of printing a grid, which the joined pages of PrintPageBatch are checked against.
class CellByCellSink final : public PrintCellSink {
public:
    explicit CellByCellSink(PrintCanvas& canvas) : canvas_(canvas) {}

    void BeginPage(std::span<const int> columnX) override { columnX_.assign(columnX.begin(), columnX.end()); }
    void BeginRow(int top, int bottom) override
    {
        top_ = top;
        bottom_ = bottom;
    }
    void Fill(int column, ColorValue color) override { canvas_.FillRect(Cell(column), color); }
    void Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect& clip) override
    {
        canvas_.Text(x, y, text, font, &clip);
    }
    void Borders(int column, const GridPen& pen, PenStyle style, const CellBorders& borders) override
    {
        Borders(column, CellEdgePens{pen, pen, pen, pen}, style, borders);
    }
    void Borders(int column, const CellEdgePens& pens, PenStyle style, const CellBorders& borders) override
    {
        const PaperRect r = Cell(column);
        if (borders.left)
            canvas_.Line(r.left, r.top, r.left, r.bottom, pens.left, style);
        if (borders.right)
            canvas_.Line(r.right, r.top, r.right, r.bottom, pens.right, style);
        if (borders.top)
            canvas_.Line(r.left, r.top, r.right, r.top, pens.top, style);
        if (borders.bottom)
            canvas_.Line(r.left, r.bottom, r.right, r.bottom, pens.bottom, style);
    }
    void EndPage() override {}

private:
    PaperRect Cell(int column) const
    {
        const auto c = static_cast<std::size_t>(column);
        return {columnX_[c], top_, columnX_[c + 1], bottom_};
    }

    PrintCanvas& canvas_;
    std::vector<int> columnX_;
    int top_ = 0;
    int bottom_ = 0;
};

// Makes `setup` print its pages cell by cell.
inline void PrintCellByCell(PrintJobSetup& setup)
{
    setup.cells = [](PrintCanvas& canvas) { return std::make_unique<CellByCellSink>(canvas); };
}

} // namespace velmora
