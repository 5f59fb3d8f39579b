#pragma once

#include "view/grid_model.h"

#include <functional>

namespace velmora {

// Where the legend reads the symbol font each time it paints or prints a symbol cell: in the
// window, the font of the data module's font dialog.
using SymbolFontSource = std::function<GridFont()>;

// The symbol font as the font dialog starts with it: Wingdings, symbol character set, 8 pixels.
GridFont DefaultSymbolFont();

// The handlers of the chart grid that need no canvas.
void asg_ImageGetAlignment(const GridModel& Sender, int ARow, int ACol, HorizontalAlignment& HAlign, VerticalAlignment& VAlign);
void asg_ImageGetCellPrintBorder(const GridModel& Sender, int ARow, int ACol, GridPen& APen, CellBorders& Borders);

// The handlers of the legend grid; `symbolFont` is the symbol font the legend reads.
void asg_SymbolsGetCellColor(const GridFont& symbolFont, const GridModel& Sender, int ARow, int ACol,
                             CellDrawState AState, GridBrush& ABrush, GridFont& AFont);
void asg_SymbolsGetCellPrintColor(const GridFont& symbolFont, const GridModel& Sender, int ARow, int ACol,
                                  CellDrawState AState, GridBrush& ABrush, GridFont& AFont);

// The chart grid as designed: sizes, fonts, colours, headers, print settings and the handlers
// above. Screen and paper share it; the window adds its drawing handler.
void DesignChartGrid(GridModel& model);
// The legend grid as designed, its colour handlers bound to `symbolFont` (the default symbol font
// when it is empty).
void DesignLegendGrid(GridModel& model, SymbolFontSource symbolFont);

} // namespace velmora
