#include "crop_scheme.h"

#include "request_limits.h"
#include "thread_edit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>

namespace velmora {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

std::string Numbers(const CropWindow& w)
{
    // In 64 bits: a window given from anywhere may hold any int.
    return std::to_string(std::int64_t{w.x} + 1) + "," + std::to_string(std::int64_t{w.y} + 1) + "," +
           std::to_string(w.width) + "," + std::to_string(w.height);
}

void CheckWindow(const CropWindow& window, int chartWidth, int chartHeight)
{
    if (window.width < kMinStitches || window.height < kMinStitches)
        throw ThreadEditError("the window " + Numbers(window) + " is smaller than " + std::to_string(kMinStitches) +
                                  " × " + std::to_string(kMinStitches) + " stitches",
                              "выделение меньше " + std::to_string(kMinStitches) + " × " +
                                  std::to_string(kMinStitches) + " крестиков");
    // Sums in 64 bits: a window given from the command line may hold any int.
    if (window.x < 0 || window.y < 0 || std::int64_t{window.x} + window.width > chartWidth ||
        std::int64_t{window.y} + window.height > chartHeight)
        throw ThreadEditError("the window " + Numbers(window) + " does not lie on the chart of " +
                                  std::to_string(chartWidth) + " × " + std::to_string(chartHeight) + " stitches",
                              "выделение выходит за схему " + std::to_string(chartWidth) + " × " +
                                  std::to_string(chartHeight) + " крестиков");
}

// The part of `line` between its first and last grid corner in `window` (corners counted on the
// cut grid), or nothing. The corners of a line are its ends and the corners between, one every
// (dx, dy) / gcd; the window is convex, so those in it follow one another.
std::optional<Backstitch> ClippedLine(const Backstitch& line, const CropWindow& window)
{
    const int steps = std::gcd(line.x2 - line.x1, line.y2 - line.y1);
    if (steps == 0)
        return std::nullopt;
    const int dx = (line.x2 - line.x1) / steps, dy = (line.y2 - line.y1) / steps;
    const auto inside = [&](int k) {
        const int x = line.x1 + k * dx, y = line.y1 + k * dy;
        return x >= window.x && x <= window.x + window.width && y >= window.y && y <= window.y + window.height;
    };
    int first = 0;
    while (first <= steps && !inside(first))
        ++first;
    int last = first;
    while (last < steps && inside(last + 1))
        ++last;
    if (last <= first)
        return std::nullopt;
    return Backstitch{line.dmc, line.x1 + first * dx - window.x, line.y1 + first * dy - window.y,
                      line.x1 + last * dx - window.x, line.y1 + last * dy - window.y};
}

} // namespace

Bitmap CropPicture(const Bitmap& picture, const CropWindow& window)
{
    Bitmap cropped(window.width, window.height, Bitmap::Unfilled{});
    cropped.setSourceBitsPerPixel(picture.sourceBitsPerPixel());
    for (int y = 0; y < window.height; ++y) {
        const auto from = picture.row(window.y + y).subspan(At(window.x), At(window.width));
        std::copy(from.begin(), from.end(), cropped.row(y).begin());
    }
    return cropped;
}

SchemeDocument CropScheme(const SchemeDocument& document, const CropWindow& window)
{
    const int chartWidth = document.chart.columns() - 1, chartHeight = document.chart.rows() - 2;
    CheckWindow(window, chartWidth, chartHeight);

    std::vector<LegendEntry> threads = SchemeThreads(document);
    std::array<int, 256> placeOfSymbol;
    placeOfSymbol.fill(-1);
    for (std::size_t k = 0; k < threads.size(); ++k) {
        placeOfSymbol[threads[k].symbol.empty() ? 0 : static_cast<unsigned char>(threads[k].symbol.front())] =
            static_cast<int>(k);
        threads[k].stitches = 0;
    }

    SchemeDocument cropped;
    cropped.request = document.request;
    cropped.request.width = window.width;
    cropped.request.height = window.height;
    cropped.pictureName = document.pictureName;
    cropped.fabricCount = document.fabricCount;
    cropped.chart = NewChartFrame(window.width, window.height);
    for (int y = 0; y < window.height; ++y) {
        for (int x = 0; x < window.width; ++x) {
            const std::string_view symbol = document.chart.textView(window.x + x + 1, window.y + y + 1);
            const int place = placeOfSymbol[symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front())];
            if (place < 0)
                throw ThreadEditError("the stitch at column, row " + std::to_string(window.x + x + 1) + ", " +
                                          std::to_string(window.y + y + 1) + " has a symbol that no legend row has",
                                      "у стежка в столбце, строке " + std::to_string(window.x + x + 1) + ", " +
                                          std::to_string(window.y + y + 1) + " символ, которого нет в легенде");
            ++threads[At(place)].stitches;
            cropped.chart.setText(x + 1, y + 1, symbol);
        }
    }
    cropped.legend = SortedLegend(threads);

    cropped.picture = document.picture.width() == chartWidth && document.picture.height() == chartHeight
                          ? CropPicture(document.picture, window)
                          : MappedPicture(cropped.chart, cropped.legend);

    for (const Backstitch& line : document.backstitches) {
        if (const std::optional<Backstitch> kept = ClippedLine(line, window))
            cropped.backstitches.push_back(*kept);
    }
    return cropped;
}

} // namespace velmora
