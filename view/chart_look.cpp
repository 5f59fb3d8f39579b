#include "view/chart_look.h"

#include "scheme/color_text.h"
#include "scheme/cp1251.h"
#include "scheme/dmc_inc.h"
#include "scheme/legend_columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace velmora {

namespace {

// "Мотков"
constexpr char kSkeinsHeader[] = "\xcc\xee\xf2\xea\xee\xe2";
// "Бэкстич", "Длина", " см"
constexpr char kBackstitchHeading[] = "\xc1\xfd\xea\xf1\xf2\xe8\xf7";
constexpr char kLengthHeading[] = "\xc4\xeb\xe8\xed\xe0";
constexpr char kCentimetres[] = " \xf1\xec";

// The row of the backstitch section's heading, or the row count when the legend has none.
int BackstitchSectionRow(const CellTable& legend)
{
    if (legend.columns() < LegendColumn::kDesigned)
        return legend.rows();
    for (int row = 2; row < legend.rows(); ++row)
        if (legend.textView(LegendColumn::Name, row) == kBackstitchHeading)
            return row;
    return legend.rows();
}

double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

ColorValue InkOn(ColorValue fill)
{
    const double luminance = 0.2126 * Linear(static_cast<int>(fill & 0xFF)) +
                             0.7152 * Linear(static_cast<int>((fill >> 8) & 0xFF)) +
                             0.0722 * Linear(static_cast<int>((fill >> 16) & 0xFF));
    // Contrast ratios (L1 + 0.05) / (L2 + 0.05) against white (L = 1) and black (L = 0).
    const double againstWhite = 1.05 / (luminance + 0.05);
    const double againstBlack = (luminance + 0.05) / 0.05;
    return againstBlack >= againstWhite ? clBlack : clWhite;
}

GridOverLine BackstitchOverLine(const Backstitch& line)
{
    const ColorValue thread = line.dmc >= 0 && line.dmc < kDmcCount ? DMCTable[static_cast<std::size_t>(line.dmc)].Color
                                                                 : clBlack;
    return {line.x1, line.y1, line.x2, line.y2, thread, InkOn(thread)};
}

std::vector<GridOverLine> BackstitchOverLines(std::span<const Backstitch> lines)
{
    std::vector<GridOverLine> over;
    over.reserve(lines.size());
    for (const Backstitch& line : lines)
        over.push_back(BackstitchOverLine(line));
    return over;
}

OverLineWidths OverLineWidthsFor(int cellSide)
{
    const int line = std::max(1, (cellSide + 3) / 7);
    const int edge = std::max(1, (line + 1) / 3);
    return {line, line + 2 * edge};
}

ChartCellColours::ChartCellColours(const CellTable& legend)
{
    const Paint designed{clWhite, clWindowText};
    bySymbol_.fill(designed);
    // White has no symbol: its cells are empty, and so are they when no stitch is White.
    empty_ = {clWhite, clBlack};
    if (legend.columns() <= LegendColumn::Colour)
        return;
    for (int row = 1; row < legend.rows(); ++row) {
        const std::optional<Color> colour = ColorFromText(legend.text(LegendColumn::Colour, row));
        if (!colour)
            continue;
        const std::string symbol = legend.text(LegendColumn::Symbol, row);
        const Paint paint{*colour, InkOn(*colour)};
        // Only White's row, the first, stands for the empty cells; the rows of the backstitch
        // section below the legend have no symbol either.
        if (symbol.empty() && row != 1)
            continue;
        if (symbol.empty())
            empty_ = paint;
        else
            bySymbol_[static_cast<unsigned char>(symbol.front())] = paint;
    }
}

TenStitchLines TenStitchLinesOf(const CellTable& chart, int col, int row, const ChartCellColours* colours)
{
    const int width = chart.columns() - 1;
    const int height = chart.rows() - 2;
    TenStitchLines lines;
    lines.heavy = TenStitchEdges(col, row, width, height);
    if (colours == nullptr || !lines.heavy.any())
        return lines;
    // The headings and the empty last row keep their white.
    const auto fill = [&](int c, int r) {
        return c > 0 && r > 0 && c <= width && r <= height ? colours->ForCell(chart.text(c, r)).fill : clWhite;
    };
    const ColorValue own = fill(col, row);
    lines.left = TenStitchLineColour(fill(col - 1, row), own);
    lines.right = TenStitchLineColour(own, fill(col + 1, row));
    lines.top = TenStitchLineColour(fill(col, row - 1), own);
    lines.bottom = TenStitchLineColour(own, fill(col, row + 1));
    return lines;
}

void ApplyChartLook(GridModel& chart, const ChartLook& look, const CellTable& legend)
{
    // Symbols in black and in white alternate along a row; drawn ink by ink they make few runs.
    chart.PrintSettings.ColourChart = look.colorCells;
    if (look.colorCells) {
        auto colours = std::make_shared<const ChartCellColours>(legend);
        chart.OnGetCellPrintColor = [colours](const GridModel& sender, int row, int col, CellDrawState,
                                              GridBrush& brush, GridFont& font) {
            // The stitches only: not the headings, not the empty last row.
            if (row <= 0 || col <= 0 || row >= sender.RowCount() - 1)
                return;
            const ChartCellColours::Paint paint = colours->ForCell(sender.cellTable().text(col, row));
            brush.Color = paint.fill;
            font.color = paint.ink;
        };
    } else {
        chart.OnGetCellPrintColor = nullptr;
    }
    if (look.tenLines) {
        std::shared_ptr<const ChartCellColours> colours;
        if (look.colorCells)
            colours = std::make_shared<const ChartCellColours>(legend);
        chart.OnGetCellPrintEdgePens = [colours](const GridModel& sender, int row, int col, CellEdgePens& pens) {
            const TenStitchLines lines = TenStitchLinesOf(sender.cellTable(), col, row, colours.get());
            if (lines.heavy.left)
                pens.left = {lines.left, kTenStitchPen.Width};
            if (lines.heavy.right)
                pens.right = {lines.right, kTenStitchPen.Width};
            if (lines.heavy.top)
                pens.top = {lines.top, kTenStitchPen.Width};
            if (lines.heavy.bottom)
                pens.bottom = {lines.bottom, kTenStitchPen.Width};
        };
    } else {
        chart.OnGetCellPrintEdgePens = nullptr;
    }
}

CellTable LegendWithSkeins(const CellTable& legend, bool skeins, int fabricCount)
{
    CellTable table = legend;
    if (table.columns() < LegendColumn::kDesigned)
        return table;
    if (!skeins) {
        table.setColumns(LegendColumn::kDesigned);
        return table;
    }
    CheckFabricCount(fabricCount);
    table.setColumns(LegendColumn::Skeins + 1);
    if (table.rows() > 0)
        table.setText(LegendColumn::Skeins, 0, kSkeinsHeader);
    for (int row = 1; row < table.rows(); ++row) {
        const std::string crosses = table.text(LegendColumn::Count, row);
        long long stitches = 0;
        const auto [end, error] = std::from_chars(crosses.data(), crosses.data() + crosses.size(), stitches);
        const bool counted = !crosses.empty() && error == std::errc() && stitches > 0;
        table.setText(LegendColumn::Skeins, row, counted ? std::to_string(SkeinsFor(stitches, fabricCount)) : "");
    }
    return table;
}

void ApplyLegendLook(GridModel& legend, const ChartLook& look)
{
    const bool shown = legend.ColCount() > LegendColumn::kDesigned;
    if (!look.skeins && !shown)
        return;
    legend.setCellTable(LegendWithSkeins(legend.cellTable(), look.skeins, look.fabricCount));
}

std::string CentimetresText(double millimetres)
{
    const long long tenths = std::llround(millimetres);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + kCentimetres;
}

CellTable LegendWithBackstitch(const CellTable& legend, std::span<const Backstitch> lines, int fabricCount)
{
    if (lines.empty() || legend.columns() < LegendColumn::kDesigned)
        return legend;
    std::vector<BackstitchLength> lengths = BackstitchLengths(lines, fabricCount);
    // Legend order: light to dark, as the rows above.
    const auto rowOf = [&](int dmc) {
        for (int row = 1; row < legend.rows(); ++row)
            if (legend.textView(LegendColumn::Name, row) == DMCTable[static_cast<std::size_t>(dmc)].Name)
                return row;
        return legend.rows();
    };
    std::stable_sort(lengths.begin(), lengths.end(),
                     [&](const BackstitchLength& a, const BackstitchLength& b) { return rowOf(a.dmc) < rowOf(b.dmc); });
    CellTable table = legend;
    const int heading = table.rows();
    table.setRows(heading + 1 + static_cast<int>(lengths.size()));
    table.setText(LegendColumn::Name, heading, kBackstitchHeading);
    table.setText(LegendColumn::Count, heading, kLengthHeading);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const int row = heading + 1 + static_cast<int>(i);
        const TDMC& thread = DMCTable[static_cast<std::size_t>(lengths[i].dmc)];
        table.setText(LegendColumn::Colour, row, std::to_string(thread.Color));
        table.setText(LegendColumn::Name, row, thread.Name);
        table.setText(LegendColumn::Count, row, CentimetresText(lengths[i].millimetres));
    }
    return table;
}

void ApplyLegendLook(GridModel& legend, const ChartLook& look, std::span<const Backstitch> lines)
{
    CellTable table = legend.cellTable();
    table.setRows(BackstitchSectionRow(table));
    table = LegendWithSkeins(table, look.skeins, look.fabricCount);
    legend.setCellTable(LegendWithBackstitch(table, lines, look.fabricCount));
}

int NearestZoom(int percent)
{
    int best = kZoomSteps.front();
    for (const int step : kZoomSteps)
        if (std::abs(step - percent) < std::abs(best - percent))
            best = step;
    return best;
}

int ZoomIn(int percent)
{
    const int current = NearestZoom(percent);
    for (const int step : kZoomSteps)
        if (step > current)
            return step;
    return current;
}

int ZoomOut(int percent)
{
    const int current = NearestZoom(percent);
    for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it)
        if (*it < current)
            return *it;
    return current;
}

} // namespace velmora
