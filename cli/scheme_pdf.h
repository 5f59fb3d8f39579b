#pragma once

#include "files/output_file.h"
#include "scheme/scheme_builder.h"
#include "view/chart_look.h"
#include "view/print_layout.h"

#include <functional>
#include <string>

namespace velmora::cli {

// What velmora-cli hears of the PDFs as they are printed: each file's name, then its pages.
struct PdfProgress {
    std::function<void(const std::string& file)> begin;
    std::function<void(int done, int count)> pages;
};

// Prints the chart and the legend as the window's print commands lay them out, on A4 paper, into
// `chart` and `legend` (chart.pdf and legend.pdf), finished but not yet in their places; every
// footer shows `when`. Needs a QGuiApplication. Throws FileWriteError naming the file that cannot
// be written and why. `progress`, when given, hears each file's name and then its pages. `look`
// adds the ten-stitch lines, the coloured cells and the skeins column.
void WriteSchemePdfs(OutputFile& chart, OutputFile& legend, const SchemeDocument& document, const PrintDateTime& when,
                     const PdfProgress& progress = {}, const ChartLook& look = {});

} // namespace velmora::cli
