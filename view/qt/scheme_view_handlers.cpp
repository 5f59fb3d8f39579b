#include "view/qt/scheme_view_handlers.h"

#include "view/paint/qt_bridge.h"

#include <string>
#include <utility>

namespace velmora {

void asg_ImageDrawCell(TAdvStringGrid& Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState,
                       GridCanvas& Canvas)
{
    if (ACol <= 0 || ARow <= 0)
        return;
    // White itself, not the window colour: the chart reads as paper.
    Canvas.Brush.Color = clWhite;
    Canvas.FillRect(Rect);
    const std::string text = Sender.Cells(ACol, ARow);
    const QSize size = Canvas.TextExtent(text);
    // Centred as on paper: a symbol wider than the cell sticks out equally on both sides.
    const CellBox placed = PlaceCellText(ToCellBox(Rect), {}, size.width(), size.height(), TAlignment::taCenter,
                                         TVAlignment::vtaCenter);
    Canvas.TextRect(Rect, placed.left, placed.top, text);
}

void SetUpChartGrid(TAdvStringGrid& grid)
{
    DesignChartGrid(grid.model());
    grid.OnDrawCell = asg_ImageDrawCell;
    grid.Refresh();
}

void SetUpLegendGrid(TAdvStringGrid& grid, SymbolFontSource symbolFont)
{
    DesignLegendGrid(grid.model(), std::move(symbolFont));
    grid.OnDrawCell = nullptr;
    grid.Refresh();
}

void CopySymbolFontToChart(TAdvStringGrid& chart, const GridFont& symbolFont)
{
    GridFont font = chart.Font();
    font.name = symbolFont.name;
    font.style = symbolFont.style;
    font.size = symbolFont.size;
    font.charset = symbolFont.charset;
    chart.SetFont(font);
}

} // namespace velmora
