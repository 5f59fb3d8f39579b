#pragma once

#include "view/grid_model.h"
#include "view/symbol_text.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A cell text as the workbook holds it: UTF-8, each byte taken by its Windows-1251 meaning.
std::string WorkbookText(std::string_view cp1251);

// A symbol cell's text: for each byte the character that the screen and the PDFs show in `font`
// (SymbolCharacter), so that a spreadsheet program draws the same pictograph. That is the Unicode
// equivalent of a Wingdings code where the face is missing here, never a private-use code point
// that no installed font has; U+F000 + b where the real symbol face with that glyph is installed
// (`installed`); the code page's character in an ordinary font.
std::string WorkbookSymbolText(std::string_view cp1251, const GridFont& font, const SymbolAreaGlyphs& installed);

// The number a cell text stands for when it is a whole number, possibly padded with spaces (the
// chart's headings, the legend's numbers and counts); a spreadsheet keeps such texts as numbers.
std::optional<double> WholeNumberOf(std::string_view text);

} // namespace velmora
