#pragma once

#include "scheme/bitmap.h"
#include "scheme/cell_table.h"
#include "view/grid_model.h"

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
