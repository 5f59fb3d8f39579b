#pragma once

#include "view/grid_model.h"
#include "view/qt/adv_string_grid.h"

#include <functional>

namespace velmora {

// Where the legend reads the symbol font each time it paints or prints a symbol cell: the font of
// the data module's font dialog.
using SymbolFontSource = std::function<GridFont()>;

// The main window's handlers of the chart grid.
void asg_ImageDrawCell(TAdvStringGrid& Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State,
                       GridCanvas& Canvas);
void asg_ImageGetAlignment(const GridModel& Sender, int ARow, int ACol, TAlignment& HAlign, TVAlignment& VAlign);
void asg_ImageGetCellPrintBorder(const GridModel& Sender, int ARow, int ACol, GridPen& APen, TCellBorders& Borders);

// The main window's handlers of the legend grid; `symbolFont` is the data module's symbol font.
void asg_SymbolsGetCellColor(const GridFont& symbolFont, const GridModel& Sender, int ARow, int ACol,
                             TGridDrawState AState, GridBrush& ABrush, GridFont& AFont);
void asg_SymbolsGetCellPrintColor(const GridFont& symbolFont, const GridModel& Sender, int ARow, int ACol,
                                  TGridDrawState AState, GridBrush& ABrush, GridFont& AFont);

// Gives the chart grid its designed sizes, fonts, colours, headers and handlers.
void SetUpChartGrid(TAdvStringGrid& grid);
// Gives the legend grid its design and binds its handlers to `symbolFont`.
void SetUpLegendGrid(TAdvStringGrid& grid, SymbolFontSource symbolFont);

// Copies face name, style, size and character set of the symbol font to the chart grid's font;
// its colour stays.
void CopySymbolFontToChart(TAdvStringGrid& chart, const GridFont& symbolFont);

// The symbol font as the font dialog starts with it: Wingdings, symbol character set, 8 pixels.
GridFont DefaultSymbolFont();

} // namespace velmora
