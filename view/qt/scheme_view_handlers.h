#pragma once

#include "view/chart_look.h"
#include "view/grid_model.h"
#include "view/qt/scheme_grid.h"
#include "view/scheme_grids.h"

namespace velmora {

// The main window's drawing handler of the chart grid.
void DrawChartCell(SchemeGrid& Sender, int ACol, int ARow, const QRect& Rect, CellDrawState State,
                       GridCanvas& Canvas);

// The chart's look on screen and on paper: the drawing handler and the print callbacks of the
// chart grid, the colours read from `legend`. Everything off is the designed drawing.
void ApplyChartLook(SchemeGrid& grid, const ChartLook& look, const CellTable& legend);

// Gives the chart grid its design and its drawing handler.
void SetUpChartGrid(SchemeGrid& grid);
// Gives the legend grid its design and binds its handlers to `symbolFont`.
void SetUpLegendGrid(SchemeGrid& grid, SymbolFontSource symbolFont);

// Copies face name, style, size and character set of the symbol font to the chart grid's font;
// its colour stays.
void CopySymbolFontToChart(SchemeGrid& chart, const GridFont& symbolFont);

} // namespace velmora
