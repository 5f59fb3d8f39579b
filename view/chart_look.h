#pragma once

#include "scheme/backstitch.h"
#include "scheme/cell_table.h"
#include "scheme/skeins.h"
#include "view/grid_model.h"

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// How the chart and the legend are drawn beyond their designed look, on screen and on paper
// alike. Everything off is the designed look.
struct ChartLook {
    bool tenLines = false;   // a heavier line after every tenth stitch ("Линии через 10 стежков")
    bool colorCells = false; // each stitch on its thread's colour ("Цветные клетки")
    bool skeins = false;     // the legend's column of skeins to buy ("Расход ниток")
    int fabricCount = kDefaultFabricCount; // the cloth the skeins are counted for
    friend bool operator==(const ChartLook&, const ChartLook&) = default;
};

// The heavier line: black, 0.3 mm on paper; two pixels on screen, one on each side of the edge.
inline constexpr GridPen kTenStitchPen{clBlack, 3};
inline constexpr ColorValue kTenStitchLineColor = clBlack;

// Whether a line runs after stitch `index` of `count` (0 is the heading before the first stitch):
// after the heading and every tenth stitch, but not along the chart's outer edge. The workbook
// draws its lines by the same rule.
constexpr bool TenStitchLineAfter(int index, int count) { return index >= 0 && index < count && index % 10 == 0; }

struct HeavyEdges {
    bool left = false, right = false, top = false, bottom = false;
    bool any() const { return left || right || top || bottom; }
};

// The edges of chart cell (col, row) that carry a ten-stitch line, for a chart of `width` ×
// `height` stitches (columns 0..width, rows 0..height + 1, the last row empty and without lines).
constexpr HeavyEdges TenStitchEdges(int col, int row, int width, int height)
{
    if (row > height)
        return {};
    return {TenStitchLineAfter(col - 1, width), TenStitchLineAfter(col, width), TenStitchLineAfter(row - 1, height),
            TenStitchLineAfter(row, height)};
}

// The black or the white symbol, whichever stands out more on `fill`: the one of the larger
// contrast ratio of the two relative luminances (sRGB), black on a tie.
ColorValue InkOn(ColorValue fill);

// A line of backstitch over the chart: the thread's own colour, so that the chart matches the
// thread to buy, over an outline in its ink (InkOn), so that it reads whatever lies beneath. A
// light thread (white, ecru, pale yellow) gets a black edge and stands out on the white cells; a
// dark one gets a white edge and stands out on the black symbols and on dark coloured cells.
GridOverLine BackstitchOverLine(const Backstitch& line);
// The chart grid's lines of backstitch, in drawing order.
std::vector<GridOverLine> BackstitchOverLines(std::span<const Backstitch> lines);

// The widths of a line over cells whose side is `cellSide` (pixels on screen, tenths of a
// millimetre on paper): the thread about a seventh of a cell, as a stitched backstitch looks
// beside the crosses, and never under one unit; the outline one unit, a third of the thread
// when that is more, on each side.
struct OverLineWidths {
    int line = 1;
    int outline = 3; // the whole width of the outline stroke, the line included
};
OverLineWidths OverLineWidthsFor(int cellSide);
// The colour of a ten-stitch line along the edge between cells of fills `before` and `after`:
// black, or white between two cells dark enough to take white symbols, where black would vanish
// into the stitches. Everything but coloured cells is white, so the designed line is black.
inline ColorValue TenStitchLineColour(ColorValue before, ColorValue after)
{
    return InkOn(before) == clWhite && InkOn(after) == clWhite ? clWhite : kTenStitchLineColor;
}

// The thread colour of each symbol of a chart, read from its legend (symbol in column 1, colour
// value in column 2); a cell without a symbol is White's.
class ChartCellColours {
public:
    explicit ChartCellColours(const CellTable& legend);

    struct Paint {
        ColorValue fill;
        ColorValue ink;
    };
    // The fill and the symbol's colour of a chart cell holding `text`; a symbol the legend lacks
    // keeps the designed white cell and window-text symbol.
    Paint ForCell(std::string_view text) const
    {
        if (text.empty())
            return empty_;
        return bySymbol_[static_cast<unsigned char>(text.front())];
    }

private:
    std::array<Paint, 256> bySymbol_;
    Paint empty_;
};

// The ten-stitch lines along the edges of chart cell (col, row), each in the colour its two cells
// give it (TenStitchLineColour), for the screen and the paper alike. `colours` is null where the
// cells keep their designed white.
struct TenStitchLines {
    HeavyEdges heavy;
    ColorValue left = kTenStitchLineColor, right = kTenStitchLineColor;
    ColorValue top = kTenStitchLineColor, bottom = kTenStitchLineColor;
};
TenStitchLines TenStitchLinesOf(const CellTable& chart, int col, int row, const ChartCellColours* colours);

// Binds the chart grid's print callbacks to `look`: the ten-stitch lines and the cells' colours of
// `legend`. With everything off the grid prints exactly as designed.
void ApplyChartLook(GridModel& chart, const ChartLook& look, const CellTable& legend);

// The legend with the column "Мотков" (skeins on cloth of `fabricCount`) after its five, or
// without it: the table as the scheme builder made it.
CellTable LegendWithSkeins(const CellTable& legend, bool skeins, int fabricCount);
// The same on a legend grid; a new column takes the legend's default width.
void ApplyLegendLook(GridModel& legend, const ChartLook& look);

// The legend with a section for the lines of backstitch below its last row: a heading row
// ("Бэкстич" over the thread column, "Длина" over the count column), then one row for each line
// thread in legend order, with its colour, its name and the length of its lines on cloth of
// `fabricCount` in centimetres to a millimetre ("12,5 см"). Without lines, the legend as it is.
// The section is the view's: the scheme's legend and its file never hold it.
CellTable LegendWithBackstitch(const CellTable& legend, std::span<const Backstitch> lines, int fabricCount);
// The legend grid with the skeins column as `look` says and the section of `lines`, in place of
// the section it showed before.
void ApplyLegendLook(GridModel& legend, const ChartLook& look, std::span<const Backstitch> lines);
// A length in centimetres as the legend shows it (Windows-1251, as its cells), from millimetres:
// one decimal, a decimal comma.
std::string CentimetresText(double millimetres);

// The zoom of the chart on screen, in per cent: steps whose cells come out whole pixels.
inline constexpr std::array<int, 9> kZoomSteps = {50, 75, 100, 125, 150, 200, 250, 300, 400};
// The step nearest to `percent` (a stored value may be anything), and the steps beside it.
int NearestZoom(int percent);
int ZoomIn(int percent);
int ZoomOut(int percent);
// A length on screen at the zoom, from its length at 100 %.
constexpr int Zoomed(int length, int percent) { return length * percent / 100; }

} // namespace velmora
