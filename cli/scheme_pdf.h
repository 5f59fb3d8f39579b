#pragma once

#include "scheme/scheme_builder.h"
#include "view/print_layout.h"

#include <filesystem>

namespace velmora::cli {

// Prints the chart and the legend as the window's print commands lay them out, into chart.pdf and
// legend.pdf in `folder` on A4 paper; every footer shows `when`. Needs a QGuiApplication. Throws
// std::runtime_error naming the file that cannot be written.
void WriteSchemePdfs(const std::filesystem::path& folder, const SchemeDocument& document,
                     const PrintDateTime& when);

} // namespace velmora::cli
