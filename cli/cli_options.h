#pragma once

#include "scheme/crop_scheme.h"
#include "scheme/request_limits.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace velmora::cli {

// A command line that cannot be understood; the message says which argument and why.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

struct CliOptions {
    bool help = false;
    bool version = false;
    std::filesystem::path picture;
    std::optional<int> width;
    std::optional<int> height;
    int colors = kDefaultColors;
    bool dithering = false;
    bool perceptual = false; // threads chosen and stitches matched as the eye sees colours
    std::vector<int> symbolCodes; // empty: the default spread
    // The chart's look in the PDFs and the workbook.
    bool tenLines = false;
    bool colorCells = false;
    bool skeins = false;
    // The cloth of the finished size and the skeins; unset: a scheme file's own, or 14 count.
    std::optional<int> fabricCount;
    // The files to write (--formats); pdf stands for chart.pdf and legend.pdf.
    bool json = true;
    bool bmp = true;
    bool xlsx = true;
    bool pdf = true;
    std::filesystem::path outFolder = ".";
    // --replace-thread OLD=NEW in the order given: thread names as the legend's "Нитка" column
    // shows them, both in the catalogue.
    std::vector<std::pair<std::string, std::string>> threadReplacements;
    // --crop X,Y,W,H: the window of the chart to keep, counted from 0 here (the option counts
    // columns and rows from 1, as the chart numbers them).
    std::optional<CropWindow> crop;
    // The options given that shape a new scheme (--width, --height, --colors, --dither,
    // --perceptual, --symbols), in the order given: a scheme file takes none of them.
    std::vector<std::string> schemeOptions;
};

// Throws UsageError.
CliOptions ParseCliOptions(const std::vector<std::string>& arguments);

extern const char* const kCliUsage;

} // namespace velmora::cli
