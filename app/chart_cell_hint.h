#pragma once

#include "scheme/scheme_builder.h"
#include "view/grid_model.h"

#include <QString>

namespace velmora {

// The tooltip of a stitch of the chart, in the legend's words: "Нитка 310, символ ▲, столбец 12,
// строка 5, крестиков 230", the symbol as `chartFont` shows it; an empty cell is White's, the bare
// cloth. Empty for the headings and the empty last row.
QString ChartCellHint(const SchemeDocument& scheme, const GridFont& chartFont, int col, int row);

} // namespace velmora
