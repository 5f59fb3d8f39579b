#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
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
    int colors = 30;
    bool dithering = false;
    std::vector<int> symbolCodes; // empty: the default spread
    // The chart's look in the PDFs and the workbook, and the cloth of the finished size and skeins.
    bool tenLines = false;
    bool colorCells = false;
    bool skeins = false;
    int fabricCount = 14;
    // The files to write (--formats); pdf stands for chart.pdf and legend.pdf.
    bool json = true;
    bool bmp = true;
    bool xlsx = true;
    bool pdf = true;
    std::filesystem::path outFolder = ".";
};

// Throws UsageError.
CliOptions ParseCliOptions(const std::vector<std::string>& arguments);

extern const char* const kCliUsage;

} // namespace velmora::cli
