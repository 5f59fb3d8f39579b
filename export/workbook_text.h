#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A cell text as the workbook holds it: UTF-8. In a font of the symbol character set, byte b is
// written as U+F000 + b, which spreadsheet programs draw with that font's glyph b; through the
// code page, codes of 128 and more would turn into Cyrillic letters that a symbol font does not
// draw as the chart's symbol. Other fonts take the Windows-1251 meaning of each byte.
std::string WorkbookText(std::string_view cp1251, bool symbolFont);

// The number a cell text stands for when it is a whole number, possibly padded with spaces (the
// chart's headings, the legend's numbers and counts); a spreadsheet keeps such texts as numbers.
std::optional<double> WholeNumberOf(std::string_view text);

} // namespace velmora
