#include "chart_cell_hint.h"

#include "scheme/legend_columns.h"
#include "view/paint/symbol_glyphs.h"
#include "view/symbol_text.h"

#include <string>

namespace velmora {

namespace {

// The character a symbol's byte shows in the chart, as plain text: the Wingdings pictographs by
// their Unicode equivalents, which the tooltip's font can reach, not by the symbol area.
QString SymbolShown(const GridFont& chartFont, const std::string& symbol)
{
    const auto code = static_cast<unsigned char>(symbol.front());
    if (IsWingdingsFace(chartFont.name))
        if (const char32_t equivalent = WingdingsEquivalent(code); equivalent != 0)
            return QString::fromUcs4(&equivalent, 1);
    return ShapeText(chartFont, symbol).text;
}

} // namespace

QString ChartCellHint(const SchemeDocument& scheme, const GridFont& chartFont, int col, int row)
{
    const CellTable& chart = scheme.chart;
    if (col < 1 || row < 1 || col >= chart.columns() || row >= chart.rows() - 1)
        return {};
    const std::string symbol = chart.text(col, row);
    const CellTable& legend = scheme.legend;
    for (int entry = 1; entry < legend.rows(); ++entry) {
        if (legend.text(LegendColumn::Symbol, entry) != symbol || legend.text(LegendColumn::Name, entry).empty())
            continue;
        const QString thread = QString::fromStdString(legend.text(LegendColumn::Name, entry));
        const QString crosses = QString::fromStdString(legend.text(LegendColumn::Count, entry));
        if (symbol.empty())
            return QStringLiteral("Нитка %1, пустая клетка (ткань), столбец %2, строка %3, крестиков %4")
                .arg(thread)
                .arg(col)
                .arg(row)
                .arg(crosses);
        return QStringLiteral("Нитка %1, символ %2, столбец %3, строка %4, крестиков %5")
            .arg(thread, SymbolShown(chartFont, symbol))
            .arg(col)
            .arg(row)
            .arg(crosses);
    }
    return {};
}

} // namespace velmora
