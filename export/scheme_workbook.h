#pragma once

#include "scheme/bitmap.h"
#include "scheme/cell_table.h"
#include "view/grid_model.h"
#include "view/symbol_text.h"

#include <filesystem>
#include <string>

namespace velmora {

// What the export reads from the scheme's views.
struct SchemeWorkbookInput {
    // The chart: W + 1 columns and at least H + 1 rows; the legend: its rows up to the trailing
    // empty one are sent. W × H is the size of `picture`.
    const CellTable& chart;
    const CellTable& legend;
    const Bitmap& picture;
    // The chart grid's cell font (the symbol font, with its size) and its fixed cells' face.
    GridFont chartFont;
    std::string fixedFontName = "Arial";
    // Where "tmp.bmp" goes first: the folder of the executable.
    std::filesystem::path bitmapFolder;
    // Which bytes the chart font's face, as installed here, draws from its own glyphs at
    // U+F000 + b; none where it is missing. The symbol cells carry the characters that the screen
    // and the PDFs show (see WorkbookSymbolText).
    SymbolAreaGlyphs symbolAreaGlyphs{};
};

// The chart grid's cell font where no grid exists (the command-line tool): Wingdings in the symbol
// character set at the chart's 8-pixel height.
GridFont DefaultChartFont();

// Writes the scheme's workbook to `file`: the chart on "Схема вишивки", the legend on
// "Список символов" and the reduced picture, embedded from "tmp.bmp", on "Картинка".
// Throws std::invalid_argument when the tables do not fit the picture and ExportError when a file
// cannot be written; no workbook file is then left behind.
void WriteSchemeWorkbook(const std::filesystem::path& file, const SchemeWorkbookInput& input);

} // namespace velmora
