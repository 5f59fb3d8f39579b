#pragma once

#include "backstitch.h"
#include "picture/bitmap.h"
#include "cell_table.h"
#include "chart_size.h"
#include "color_fix_unit.h"
#include "dmc_inc.h"
#include "legend_columns.h"
#include "request_limits.h"
#include "skeins.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmora {

// What the new-scheme wizard collects for a build.
struct SchemeRequest {
    int width = 0;      // stitches, kMinStitches..kMaxStitches
    int height = 0;     // stitches, kMinStitches..kMaxStitches
    int colorCount = 0; // the largest palette asked for, kMinColors..kMaxColors
    // Rows 1..colorCount of the chosen symbol list: symbols[k − 1] stands for the k-th brightest
    // palette entry. One-byte texts of the symbol font.
    std::vector<std::string> symbols;
    bool dithering = false;
    // Threads chosen and stitches matched as the eye sees colours (CIELAB, CIEDE2000), from a
    // picture resampled by area average; off: the build as it always was.
    bool perceptual = false;
};

// What the user chose for a new scheme; the picture fills in what was left open.
struct SchemeChoices {
    std::optional<int> width; // unset: see ChooseChartSize
    std::optional<int> height;
    int colorCount = kDefaultColors;
    std::vector<std::string> symbols; // empty: the default spread for colorCount
    bool dithering = false;
    bool perceptual = false; // the build that matches colours as the eye sees them
    // With neither side set: the picture's size held to the range side by side, or proportionally.
    OpenSides openSides = OpenSides::EachHeld;
};

// The request the wizard, velmora-cli and the demo tool build from: the chart size by
// ChooseChartSize, the default symbol spread when none was chosen. Choices out of range are kept
// as they are, for the build to reject with its message.
SchemeRequest MakeSchemeRequest(const Bitmap& picture, SchemeChoices choices);

// A built scheme: the request it came from and its three views. The window, velmora-cli and the
// scheme file all keep a scheme as this.
struct SchemeDocument {
    SchemeRequest request;
    // The source picture's file name as the user gave it (UTF-8), or empty. Only a record: the
    // scheme does not need the picture again.
    std::string pictureName;
    // The cloth the scheme is to be stitched on, in stitches per inch (6..40): its finished size
    // and the skeins to buy follow it.
    int fabricCount = kDefaultFabricCount;
    // W × H pixels, each the colour of its stitch's thread.
    Bitmap picture;
    // W + 1 columns × H + 2 rows: column numbers " 1", " 2", … turned by 90 degrees in row 0, row
    // numbers in column 0, the symbol of stitch (x, y) in cell (x + 1, y + 1), empty for White.
    CellTable chart;
    // 5 columns: the header row, the White row 1 (empty when no entry has White), one row per
    // other palette entry from light to dark, and an empty last row.
    CellTable legend;
    // The lines drawn over the chart, in the order they were drawn. Each one's thread has a row in
    // the legend.
    std::vector<Backstitch> backstitches;
};

// Column headers of the legend.
inline constexpr std::array<const char*, LegendColumn::kDesigned> kLegendHeaders = {
    "\xb9",                                 // "№"
    "\xd1\xe8\xec\xe2\xee\xeb",             // "Символ"
    "\xd6\xe2\xe5\xf2",                     // "Цвет"
    "\xcd\xe8\xf2\xea\xe0",                 // "Нитка"
    "\xca\xf0\xe5\xf1\xf2\xe8\xea\xee\xe2", // "Крестиков"
};

// The chart's frame for W × H stitches: the column numbers turned upright in row 0, the row numbers
// in column 0, every stitch empty.
CellTable NewChartFrame(int width, int height);

// The places of `threads` (catalogue indices) from light to dark, as the build sorts its palette:
// by BrightnessKey, threads of equal brightness (White and B5200) keeping their order.
std::vector<int> LightToDarkOrder(std::span<const int> threads);

// A thread row of the legend.
struct LegendEntry {
    int dmc = 0;
    std::string symbol; // empty for White
    int stitches = 0;
};

// The legend of threads sorted light to dark: numbered 1, 2, … in that order, White's row second
// (empty when no entry is White), every other thread below it, and an empty last row.
CellTable LegendTable(std::span<const LegendEntry> lightToDark);

// The picture the build reduces: `source` point-sampled to one pixel per stitch, its colour bits
// only. Beside the mapped picture it shows what the scheme was made from.
Bitmap WorkingPicture(const Bitmap& source, int width, int height);
// The same from a source the caller no longer needs: its pixels are reused where they can be.
Bitmap WorkingPicture(Bitmap&& source, int width, int height);
// The picture the build of `request` reduces: area averaged for the perceptual build, point
// sampled as above otherwise.
Bitmap WorkingPicture(const Bitmap& source, const SchemeRequest& request);

// The mapped picture of a chart and its legend: each stitch takes the catalogue colour of the
// thread whose legend row has the stitch's symbol, an empty stitch White's. Throws
// std::invalid_argument for a symbol that no legend row has or a thread name not in the catalogue.
Bitmap MappedPicture(const CellTable& chart, const CellTable& legend);

// The scheme state of the application: the last build's colour reduction and thread flags.
class SchemeEngine {
public:
    // Builds a new document from `source`. Throws std::invalid_argument for a request out of
    // range and PictureError for an empty source; the engine's state then stays as it was.
    SchemeDocument BuildScheme(const Bitmap& source, const SchemeRequest& request);
    // The same from a source the caller no longer needs, which the build may take for its working
    // picture.
    SchemeDocument BuildScheme(Bitmap&& source, const SchemeRequest& request);

    ColorFixUnit Reduction;               // as left by the last build; the palette lists sorted
    std::array<int, kDmcCount> DMCUsed{}; // 1 for every thread given to a palette entry

private:
    SchemeDocument Build(Bitmap working, const SchemeRequest& request);
};

} // namespace velmora
