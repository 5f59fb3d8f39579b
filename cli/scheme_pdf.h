#pragma once

#include "scheme/output_file.h"
#include "scheme/scheme_builder.h"
#include "view/print_layout.h"

namespace velmora::cli {

// Prints the chart and the legend as the window's print commands lay them out, on A4 paper, into
// `chart` and `legend` (chart.pdf and legend.pdf), finished but not yet in their places; every
// footer shows `when`. Needs a QGuiApplication. Throws FileWriteError naming the file that cannot
// be written and why.
void WriteSchemePdfs(OutputFile& chart, OutputFile& legend, const SchemeDocument& document, const PrintDateTime& when);

} // namespace velmora::cli
