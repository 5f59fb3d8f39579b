#include "view/qt/scheme_view_handlers.h"

#include "view/chart_look.h"
#include "view/paint/qt_bridge.h"

#include <QPainter>

#include <memory>
#include <string>
#include <utility>

namespace velmora {

namespace {

// The symbol centred as on paper: a symbol wider than the cell sticks out equally on both sides.
void DrawChartSymbol(SchemeGrid& Sender, int ACol, int ARow, const QRect& Rect, GridCanvas& Canvas)
{
    const std::string text = Sender.Cells(ACol, ARow);
    const QSize size = Canvas.TextExtent(text);
    const CellBox placed = PlaceCellText(ToCellBox(Rect), {}, size.width(), size.height(), HorizontalAlignment::Center,
                                         VerticalAlignment::Center);
    Canvas.TextRect(Rect, placed.left, placed.top, text);
}

// The ten-stitch lines along the cell's edges, one pixel on each side of an edge: the cell's own
// line and the first pixel of the cell beyond it, in the colours the paper gives them. `Rect` is
// the cell less one pixel all round.
void PaintTenStitchLines(SchemeGrid& Sender, int ACol, int ARow, const QRect& Rect, GridCanvas& Canvas,
                         const ChartCellColours* colours)
{
    const TenStitchLines lines = TenStitchLinesOf(Sender.cellTable(), ACol, ARow, colours);
    if (!lines.heavy.any())
        return;
    const QRect cell = Rect.adjusted(-1, -1, 1, 1);
    QPainter& painter = Canvas.Painter();
    if (lines.heavy.left)
        painter.fillRect(QRect(cell.left(), cell.top(), 1, cell.height()), Canvas.Resolve(lines.left));
    if (lines.heavy.right)
        painter.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), Canvas.Resolve(lines.right));
    if (lines.heavy.top)
        painter.fillRect(QRect(cell.left(), cell.top(), cell.width(), 1), Canvas.Resolve(lines.top));
    if (lines.heavy.bottom)
        painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), Canvas.Resolve(lines.bottom));
}

} // namespace

void DrawChartCell(SchemeGrid& Sender, int ACol, int ARow, const QRect& Rect, CellDrawState,
                       GridCanvas& Canvas)
{
    if (ACol <= 0 || ARow <= 0)
        return;
    // White itself, not the window colour: the chart reads as paper.
    Canvas.Brush.Color = clWhite;
    Canvas.FillRect(Rect);
    DrawChartSymbol(Sender, ACol, ARow, Rect, Canvas);
}

void ApplyChartLook(SchemeGrid& grid, const ChartLook& look, const CellTable& legend)
{
    velmora::ApplyChartLook(grid.model(), look, legend);
    if (!look.tenLines && !look.colorCells) {
        grid.OnDrawCell = DrawChartCell;
        grid.Refresh();
        return;
    }
    std::shared_ptr<const ChartCellColours> colours;
    if (look.colorCells)
        colours = std::make_shared<const ChartCellColours>(legend);
    grid.OnDrawCell = [colours, tenLines = look.tenLines](SchemeGrid& Sender, int ACol, int ARow,
                                                          const QRect& Rect, CellDrawState State, GridCanvas& Canvas) {
        // The stitches on their threads' colours, as paper shows them; not the empty last row.
        if (colours && ACol > 0 && ARow > 0 && ARow < Sender.RowCount() - 1) {
            const ChartCellColours::Paint paint = colours->ForCell(Sender.cellTable().text(ACol, ARow));
            Canvas.Brush.Color = paint.fill;
            // The whole cell up to its own lines: no frame of the window colour between colours.
            Canvas.FillRect(Rect.adjusted(-1, -1, 0, 0));
            Canvas.Font.color = paint.ink;
            DrawChartSymbol(Sender, ACol, ARow, Rect, Canvas);
        } else {
            DrawChartCell(Sender, ACol, ARow, Rect, State, Canvas);
        }
        if (tenLines)
            PaintTenStitchLines(Sender, ACol, ARow, Rect, Canvas, colours.get());
    };
    grid.Refresh();
}

void SetUpChartGrid(SchemeGrid& grid)
{
    DesignChartGrid(grid.model());
    grid.OnDrawCell = DrawChartCell;
    grid.Refresh();
}

void SetUpLegendGrid(SchemeGrid& grid, SymbolFontSource symbolFont)
{
    DesignLegendGrid(grid.model(), std::move(symbolFont));
    grid.OnDrawCell = nullptr;
    grid.Refresh();
}

void CopySymbolFontToChart(SchemeGrid& chart, const GridFont& symbolFont)
{
    GridFont font = chart.Font();
    font.name = symbolFont.name;
    font.style = symbolFont.style;
    font.size = symbolFont.size;
    font.charset = symbolFont.charset;
    chart.SetFont(font);
}

} // namespace velmora
