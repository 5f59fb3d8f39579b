#pragma once

#include "scheme/scheme_builder.h"
#include "view/print_layout.h"

#include <filesystem>
#include <functional>
#include <string>

namespace velmora::cli {

// Prints the chart and the legend as the window's print commands lay them out, into chart.pdf and
// legend.pdf in `folder` on A4 paper; every footer shows `when`. Needs a QGuiApplication. Throws
// std::runtime_error naming the file that cannot be written. `progress`, when given, hears each
// file's name and then its pages as they are printed.
struct PdfProgress {
    std::function<void(const std::string& file)> begin;
    std::function<void(int done, int count)> pages;
};
void WriteSchemePdfs(const std::filesystem::path& folder, const SchemeDocument& document,
                     const PrintDateTime& when, const PdfProgress& progress = {});

} // namespace velmora::cli
