#pragma once

#include "view/grid_model.h"

#include <string>
#include <vector>

namespace velmora {

// The two symbol lists of the wizard as grid data: the candidates (every symbol code once) and the
// chosen list (one row per colour, lighter colours first). Both have a heading row, the symbol
// rows and one empty row at the end, so the symbol rows are 1 .. RowCount() − 2.

// Gives a list its design: two columns 32 and 64 wide, rows 20 high, silver lines, the current
// cell marked in light blue with black text, the headings and numbers in Arial at 13 pixels, the
// symbols at 16 pixels. The list starts with no symbol rows.
void DesignSymbolList(GridModel& list);

// The candidates: row r holds r and the character with code r + 47, codes 48..255.
void FillAllSymbols(GridModel& all);

// Symbols are drawn in the face, style and character set of the symbol font; the list keeps its
// own size and colour.
void ApplySymbolFont(GridModel& list, const GridFont& symbolFont);

// The symbol rows of the chosen list (RowCount() − 2, never less than 0).
int SymbolRowCount(const GridModel& chosen);

// Fills the chosen list with the default spread for `colorCount` (2..100) colours.
void FillDefaultSymbols(GridModel& chosen, int colorCount);

// Puts the candidate list's current symbol into the chosen list's current row. False, with nothing
// changed, when a symbol row of the chosen list already holds it (the current row included).
bool SelectSymbol(const GridModel& all, GridModel& chosen);

// Swap the current row's symbol with its neighbour's; the current row travels with the symbol. Up
// from row 1, or down from the last symbol row or the empty row after it, does nothing.
void MoveSymbolUp(GridModel& chosen);
void MoveSymbolDown(GridModel& chosen);

// After the colour count changed since the list was filled: the list gets `colorCount` symbol
// rows. Rows that stay keep their symbols, whether the user chose them or not; rows beyond the new
// count are dropped; new rows take the symbols of the default spread for the new count that no
// row holds yet, in the spread's order. So every colour has a symbol and no two rows share one.
void FollowColorCount(GridModel& chosen, int colorCount);

// The symbols of colours 1..colorCount: column 1 of those rows (empty texts for rows that the
// list does not have).
std::vector<std::string> ChosenSymbols(const GridModel& chosen, int colorCount);

} // namespace velmora
