#include "skeins.h"

#include "legend_columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace velmora {

namespace {

constexpr double kMillimetresPerInch = 25.4;

// A skein is 8 m of six strands; stitching two at a time, one skein gives three 8 m lengths.
constexpr double kSkeinMillimetres = 8000;
constexpr int kStrandsPerSkein = 6;
constexpr int kStrandsStitched = 2;
constexpr double kStitchedMillimetresPerSkein = kSkeinMillimetres * kStrandsPerSkein / kStrandsStitched;

// A full cross on cloth of cell side s takes its two diagonals on the front (2·√2·s) and two
// straight legs on the back to the next holes (2·s).
constexpr double kCrossInCellSides = 2 + 2 * 1.4142135623730951;

// Starting and ending each length (a tail woven under a few stitches), the thread lost in the
// needle's eye and travelling between areas of one colour add a quarter: the usual 15 to 30 % of
// stitching guides, taken near the upper end so that a bought list does not run short.
constexpr double kAllowance = 1.25;


} // namespace

void CheckFabricCount(int count)
{
    if (count < kSmallestFabricCount || count > kLargestFabricCount)
        throw std::invalid_argument("a cloth count of " + std::to_string(count) + " stitches per inch is outside " +
                                    std::to_string(kSmallestFabricCount) + ".." +
                                    std::to_string(kLargestFabricCount));
}

double FinishedMillimetres(int stitches, int count)
{
    CheckFabricCount(count);
    return stitches * kMillimetresPerInch / count;
}

int StitchesPerSkein(int count)
{
    CheckFabricCount(count);
    const double cellSide = kMillimetresPerInch / count;
    return static_cast<int>(kStitchedMillimetresPerSkein / (kCrossInCellSides * cellSide * kAllowance));
}

int SkeinsFor(long long stitches, int count)
{
    const long long perSkein = StitchesPerSkein(count);
    if (stitches <= 0)
        return 0;
    return static_cast<int>((stitches + perSkein - 1) / perSkein);
}

std::vector<ThreadUse> ThreadUses(const CellTable& legend, int count)
{
    CheckFabricCount(count);
    std::vector<ThreadUse> uses;
    if (legend.columns() <= LegendColumn::Count)
        return uses;
    for (int row = 1; row < legend.rows(); ++row) {
        ThreadUse use;
        use.thread = legend.text(LegendColumn::Name, row);
        if (use.thread.empty())
            continue;
        const std::string crosses = legend.text(LegendColumn::Count, row);
        const auto [end, error] = std::from_chars(crosses.data(), crosses.data() + crosses.size(), use.stitches);
        if (error != std::errc() || use.stitches < 0)
            use.stitches = 0;
        use.skeins = SkeinsFor(use.stitches, count);
        uses.push_back(std::move(use));
    }
    return uses;
}

std::vector<BackstitchLength> BackstitchLengths(std::span<const Backstitch> lines, int count)
{
    std::vector<BackstitchLength> lengths;
    for (const Backstitch& line : lines) {
        auto it = std::find_if(lengths.begin(), lengths.end(), [&](const BackstitchLength& l) { return l.dmc == line.dmc; });
        if (it == lengths.end())
            it = lengths.insert(lengths.end(), {line.dmc, 0});
        it->millimetres += FinishedMillimetres(1, count) * std::hypot(line.x2 - line.x1, line.y2 - line.y1);
    }
    return lengths;
}

} // namespace velmora
