#pragma once

#include "cli/scheme_pdf.h"
#include "export/scheme_workbook.h"
#include "view/symbol_text.h"

#include <filesystem>
#include <string_view>

namespace velmora::cli {

// The parts of the job that need Qt: its fonts, which tell the workbook how the symbol face draws,
// and its PDF writer; and with them the workbook writer, whose libxlsxwriter brings minizip and
// libcrypto. They live in a module of their own, velmora-cli-qt, which only a job that writes a
// workbook or PDFs loads: Qt's libraries take longer to load and start than a photograph takes to
// reduce to its threads.
struct QtJobs {
    // Starts Qt without a display; its notes are dropped, its errors go to stderr. Once, before
    // the others; `stop` ends it.
    void (*start)(char* programName);
    void (*stop)();
    SymbolAreaGlyphs (*installedSymbolGlyphs)(std::string_view face);
    void (*writeSchemeWorkbook)(OutputFile& file, const SchemeWorkbookInput& input);
    void (*writeSchemePdfs)(OutputFile& chart, OutputFile& legend, const SchemeDocument& document,
                            const PrintDateTime& when, const PdfProgress& progress, const ChartLook& look);
};

// The module's file name.
#ifdef _WIN32
inline constexpr char kQtJobsModule[] = "velmora-cli-qt.dll";
#else
inline constexpr char kQtJobsModule[] = "velmora-cli-qt.so";
#endif

// Loads the module, from beside the program or from its installed folder, once. Throws
// std::runtime_error naming the module and the system's reason when it cannot.
const QtJobs& LoadQtJobs();

} // namespace velmora::cli

// The module's one entry point.
extern "C" const velmora::cli::QtJobs* velmora_cli_qt_jobs();
