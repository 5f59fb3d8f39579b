#include "symbol_lists.h"

#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace velmora {

namespace {

constexpr int kNumberColWidth = 32;
constexpr int kSymbolColWidth = 64;
constexpr int kRowHeight = 20;
constexpr ColorValue kCurrentCellColor = 15387318; // R 182, G 202, B 234
constexpr int kFixedFontPixels = 13;
constexpr int kSymbolFontPixels = 16;

std::string SymbolText(std::uint8_t code) { return std::string(1, static_cast<char>(code)); }

// Sets the row count and numbers the symbol rows; the last row stays empty.
void SetSymbolRows(GridModel& list, int symbolRows)
{
    list.SetRowCount(symbolRows + 2);
    for (int row = 1; row <= symbolRows; ++row)
        list.SetCell(0, row, std::to_string(row));
    list.SetCell(0, symbolRows + 1, "");
    list.SetCell(1, symbolRows + 1, "");
}

} // namespace

void DesignSymbolList(GridModel& list)
{
    list.SetColCount(2);
    list.SetRowCount(2);
    list.SetColWidth(0, kNumberColWidth);
    list.SetColWidth(1, kSymbolColWidth);
    list.SetDefaultRowHeight(kRowHeight);
    list.SetFixedRowHeight(kRowHeight);
    list.GridLineColor = clSilver;
    list.GridLineWidth = 1;
    list.Color = clWindow;
    list.FixedColor = clBtnFace;
    list.ShowSelection = true;
    list.SelectionColor = kCurrentCellColor;
    list.SelectionTextColor = clBlack;

    list.FixedFont.name = "Arial";
    list.FixedFont.style = FontStyle{};
    list.FixedFont.size = GridFont::SizeForPixelHeight(kFixedFontPixels);
    list.FixedFont.charset = kRussianCharset;
    list.FixedFont.color = clWindowText;
    list.Font.size = GridFont::SizeForPixelHeight(kSymbolFontPixels);
    list.Font.color = clWindowText;

    list.SetCell(0, 0, kLegendHeaders[0]); // "№"
    list.SetCell(1, 0, kLegendHeaders[1]); // "Символ"
    list.SetCurrent(1, 1);
}

void FillAllSymbols(GridModel& all)
{
    SetSymbolRows(all, kSymbolCandidateCount);
    for (int row = 1; row <= kSymbolCandidateCount; ++row)
        all.SetCell(1, row, SymbolText(static_cast<std::uint8_t>(row + kFirstSymbolCode - 1)));
}

void ApplySymbolFont(GridModel& list, const GridFont& symbolFont)
{
    list.Font.name = symbolFont.name;
    list.Font.style = symbolFont.style;
    list.Font.charset = symbolFont.charset;
}

int SymbolRowCount(const GridModel& chosen) { return std::max(0, chosen.RowCount() - 2); }

void FillDefaultSymbols(GridModel& chosen, int colorCount)
{
    const std::vector<std::uint8_t> codes = DefaultSymbolCodes(colorCount);
    const int rows = static_cast<int>(codes.size());
    SetSymbolRows(chosen, rows);
    for (int row = 1; row <= rows; ++row)
        chosen.SetCell(1, row, SymbolText(codes[static_cast<std::size_t>(row - 1)]));
}

bool SelectSymbol(const GridModel& all, GridModel& chosen)
{
    const std::string symbol = all.Cells(1, all.Row());
    const int rows = SymbolRowCount(chosen);
    for (int row = 1; row <= rows; ++row)
        if (chosen.Cells(1, row) == symbol)
            return false;
    chosen.SetCell(1, chosen.Row(), symbol);
    return true;
}

void MoveSymbolUp(GridModel& chosen)
{
    const int row = chosen.Row();
    if (row <= 1)
        return;
    std::string above = chosen.Cells(1, row - 1);
    chosen.SetCell(1, row - 1, chosen.Cells(1, row));
    chosen.SetCell(1, row, above);
    chosen.SetRow(row - 1);
}

void MoveSymbolDown(GridModel& chosen)
{
    const int row = chosen.Row();
    if (row >= SymbolRowCount(chosen))
        return;
    std::string below = chosen.Cells(1, row + 1);
    chosen.SetCell(1, row + 1, chosen.Cells(1, row));
    chosen.SetCell(1, row, below);
    chosen.SetRow(row + 1);
}

void FollowColorCount(GridModel& chosen, int colorCount)
{
    const int oldRows = SymbolRowCount(chosen);
    if (colorCount == oldRows)
        return;
    // Whatever the empty row after the symbols held (a symbol may have been put there) goes with it.
    SetSymbolRows(chosen, colorCount);
    if (colorCount < oldRows)
        return;

    std::vector<std::string> used;
    used.reserve(static_cast<std::size_t>(colorCount));
    for (int row = 1; row <= oldRows; ++row)
        used.push_back(chosen.Cells(1, row));
    // The spread has colorCount different symbols and the kept rows hold at most oldRows of them,
    // so at least colorCount − oldRows are free: enough for every new row.
    int row = oldRows + 1;
    for (const std::uint8_t code : DefaultSymbolCodes(colorCount)) {
        if (row > colorCount)
            break;
        const std::string symbol = SymbolText(code);
        if (std::find(used.begin(), used.end(), symbol) != used.end())
            continue;
        chosen.SetCell(1, row++, symbol);
    }
}

std::vector<std::string> ChosenSymbols(const GridModel& chosen, int colorCount)
{
    std::vector<std::string> symbols;
    symbols.reserve(static_cast<std::size_t>(std::max(0, colorCount)));
    for (int row = 1; row <= colorCount; ++row)
        symbols.push_back(row < chosen.RowCount() ? chosen.Cells(1, row) : std::string());
    return symbols;
}

} // namespace velmora
