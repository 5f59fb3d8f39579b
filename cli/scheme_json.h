#pragma once

#include "scheme/scheme_builder.h"

#include <ostream>
#include <string>

namespace velmora::cli {

struct SchemeSummary {
    std::string picture; // the path as the user gave it; bytes that are not UTF-8 are written as U+FFFD
    int width = 0;
    int height = 0;
    int colors = 0;
    bool dithering = false;
    int fabricCount = 14; // stitches per inch of the cloth
};

// scheme.json: the summary, the legend rows (texts as UTF-8, the symbol as its character code)
// and the chart (a character code per stitch, 0 where the cell is empty), top row first; the
// cloth with the finished size, and each thread's stitches and skeins in legend order.
void WriteSchemeJson(std::ostream& out, const SchemeSummary& summary, const SchemeDocument& document);

} // namespace velmora::cli
