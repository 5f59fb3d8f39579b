#pragma once

#include "scheme/backstitch.h"
#include "picture/bitmap.h"
#include "scheme/cell_table.h"
#include "files/output_file.h"
#include "scheme/skeins.h"
#include "view/grid_model.h"
#include "view/symbol_text.h"

#include <filesystem>
#include <span>
#include <string>

namespace velmora {

// What the export reads from the scheme's views.
struct SchemeWorkbookInput {
    // The chart: W + 1 columns and at least H + 1 rows; the legend: its rows up to the trailing
    // empty one are sent. W × H is the size of `picture`.
    const CellTable& chart;
    const CellTable& legend;
    const Bitmap& picture;
    // The chart grid's cell font (the symbol font, with its size) and its fixed cells' face, as
    // the chart grid has them (see DesignChartGrid).
    GridFont chartFont;
    std::string fixedFontName;
    // The folder of the private file the picture is embedded from; empty: the user's temporary
    // folder.
    std::filesystem::path temporaryFolder;
    // Which bytes the chart font's face, as installed here, draws from its own glyphs at
    // U+F000 + b; none where it is missing. The symbol cells carry the characters that the screen
    // and the PDFs show (see WorkbookSymbolText).
    SymbolAreaGlyphs symbolAreaGlyphs{};
    // The lines of backstitch, listed below the chart, and the cloth their lengths are measured on.
    std::span<const Backstitch> backstitches{};
    int fabricCount = kDefaultFabricCount;
};

// Writes the scheme's workbook to `file` whole or not at all: the chart on "Схема вишивки" (with
// a table of the lines of backstitch below it when the scheme has lines), the legend on "Список
// символов" and the reduced picture on "Картинка". Throws std::invalid_argument
// when the tables do not fit the picture, and FileWriteError or ExportError, naming the file and
// the reason, when it cannot be written; `file` then keeps what it held.
void WriteSchemeWorkbook(const std::filesystem::path& file, const SchemeWorkbookInput& input);

// The same into `file`, finished but not yet in its place: the caller commits it.
void WriteSchemeWorkbook(OutputFile& file, const SchemeWorkbookInput& input);

// For tests that play someone swapping the workbook's file: called with the name the workbook
// library is about to reopen and write the workbook to. Null: none.
using WorkbookCloseHook = void (*)(const std::filesystem::path& libraryFile);
void SetWorkbookCloseHookForTests(WorkbookCloseHook hook);

} // namespace velmora
