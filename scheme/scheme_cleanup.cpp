#include "scheme_cleanup.h"

#include "color_distance.h"
#include "color_science.h"
#include "dmc_inc.h"
#include "thread_edit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace velmora {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

Color ColourOf(int dmc) { return DMCTable[At(dmc)].Color; }

// The chart as the passes work on it: each stitch's thread as its place in `threads`, the
// legend's threads in legend order, and the stitches of each as the chart counts them.
struct StitchGrid {
    int width = 0;
    int height = 0;
    std::vector<LegendEntry> threads;
    std::vector<std::uint8_t> place; // a legend has at most 256 symbols, one per thread
    std::vector<int> count;

    std::int32_t size() const { return static_cast<std::int32_t>(place.size()); }
    int dmcAt(std::int32_t stitch) const { return threads[place[At(stitch)]].dmc; }

    // Whether a stitch around `stitch` has its thread. Most have one beside them: those are
    // looked at first, and the look ends at the first found.
    bool hasNeighbourOfItsThread(std::int32_t stitch) const
    {
        const std::uint8_t own = place[At(stitch)];
        const int x = stitch % width, y = stitch / width;
        if (x > 0 && y > 0 && x + 1 < width && y + 1 < height) {
            const std::uint8_t* p = place.data() + stitch;
            const std::ptrdiff_t w = width;
            return p[-1] == own || p[1] == own || p[-w] == own || p[w] == own || p[-w - 1] == own ||
                   p[-w + 1] == own || p[w - 1] == own || p[w + 1] == own;
        }
        bool found = false;
        forNeighbours(stitch, [&](std::int32_t n) { found = found || place[At(n)] == own; });
        return found;
    }

    // Calls visit(neighbour) for each of the up to eight stitches around `stitch`.
    template <class Visit>
    void forNeighbours(std::int32_t stitch, Visit&& visit) const
    {
        const int x = stitch % width, y = stitch / width;
        // Most stitches are inside the chart, where all eight are there: no test for each.
        if (x > 0 && y > 0 && x + 1 < width && y + 1 < height) {
            const std::int32_t up = stitch - width, down = stitch + width;
            for (const std::int32_t n : {up - 1, up, up + 1, stitch - 1, stitch + 1, down - 1, down, down + 1})
                visit(n);
            return;
        }
        for (int dy = -1; dy <= 1; ++dy) {
            if (y + dy < 0 || y + dy >= height)
                continue;
            for (int dx = -1; dx <= 1; ++dx) {
                if ((dx == 0 && dy == 0) || x + dx < 0 || x + dx >= width)
                    continue;
                visit(stitch + dy * width + dx);
            }
        }
    }
};

StitchGrid ReadGrid(const SchemeDocument& document)
{
    StitchGrid grid;
    grid.width = document.chart.columns() - 1;
    grid.height = document.chart.rows() - 2;
    grid.threads = SchemeThreads(document);
    if (grid.width <= 0 || grid.height <= 0)
        return grid;
    std::array<int, 256> placeOfSymbol;
    placeOfSymbol.fill(-1);
    for (std::size_t k = 0; k < grid.threads.size(); ++k) {
        const std::string& symbol = grid.threads[k].symbol;
        placeOfSymbol[symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front())] = static_cast<int>(k);
    }
    grid.place.resize(At(grid.width) * At(grid.height));
    grid.count.assign(grid.threads.size(), 0);
    std::size_t i = 0;
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x, ++i) {
            const std::string_view symbol = document.chart.textView(x + 1, y + 1);
            const int place = placeOfSymbol[symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front())];
            if (place < 0)
                ThreadOfStitch(document, x, y); // throws: the symbol names no row
            grid.place[i] = static_cast<std::uint8_t>(place);
            ++grid.count[At(place)];
        }
    }
    return grid;
}

std::set<int> BackstitchThreads(const SchemeDocument& document)
{
    std::set<int> threads;
    for (const Backstitch& line : document.backstitches)
        threads.insert(line.dmc);
    return threads;
}

// The rows of threads `leaving` chooses take their leave of the legend: one edit, or none when
// no row leaves.
template <class Leaving>
void DropRows(SchemeDocument& document, Leaving&& leaving, std::vector<StitchEdit>& edits)
{
    const std::vector<LegendEntry> threads = SchemeThreads(document);
    std::vector<LegendEntry> kept;
    for (const LegendEntry& thread : threads) {
        if (!leaving(thread))
            kept.push_back(thread);
    }
    if (kept.size() == threads.size())
        return;
    StitchEdit edit;
    edit.legendBefore = std::exchange(document.legend, SortedLegend(kept));
    edits.push_back(std::move(edit));
}

// What the grid was before a pass, to tell what the pass changed.
struct GridState {
    std::vector<std::uint8_t> place;
    std::vector<int> count;
    explicit GridState(const StitchGrid& grid) : place(grid.place), count(grid.count) {}
};

// Gives the document the threads of `grid` where they differ from `before`, then lets the rows
// the pass emptied leave.
std::vector<StitchEdit> Apply(SchemeDocument& document, const StitchGrid& grid, const GridState& before)
{
    std::vector<StitchEdit> edits;
    std::vector<StitchChange> changes;
    for (std::int32_t s = 0; s < grid.size(); ++s) {
        if (grid.place[At(s)] != before.place[At(s)])
            changes.push_back({s, grid.dmcAt(s)});
    }
    if (changes.empty())
        return edits;
    edits.push_back(SetStitches(document, changes));
    std::set<int> emptied;
    for (std::size_t k = 0; k < grid.threads.size(); ++k) {
        if (before.count[k] > 0 && grid.count[k] == 0)
            emptied.insert(grid.threads[k].dmc);
    }
    const std::set<int> lines = BackstitchThreads(document);
    DropRows(document, [&](const LegendEntry& t) { return emptied.contains(t.dmc) && !lines.contains(t.dmc); },
             edits);
    return edits;
}

void CheckRange(const char* english, const char* russian, int value, int high)
{
    if (value >= 1 && value <= high)
        return;
    const std::string range = " " + std::to_string(value) + " is outside 1.." + std::to_string(high);
    throw ThreadEditError(english + range, russian + (" " + std::to_string(value) + " вне 1.." + std::to_string(high)));
}

// Of `candidate` and `best` (a place or −1), the one whose thread is nearer: smaller `cost`,
// equally near the first in the catalogue.
bool Better(const StitchGrid& grid, int candidate, double cost, int best, double bestCost)
{
    return best < 0 || cost < bestCost ||
           (cost == bestCost && grid.threads[At(candidate)].dmc < grid.threads[At(best)].dmc);
}

// Merges thread `merged` of the grid into its neighbours, from the edges of its areas inwards.
// False when no other thread is on the chart to take its stitches.
bool MergeThread(StitchGrid& grid, int merged, std::vector<std::vector<std::int32_t>>& stitchesOf,
                 std::vector<std::uint8_t>& queued, const ColourDistanceFunction& distance)
{
    const Color colour = ColourOf(grid.threads[At(merged)].dmc);
    std::vector<double> distanceTo(grid.threads.size(), -1);
    const auto distanceOf = [&](int place) {
        double& d = distanceTo[At(place)];
        if (d < 0)
            d = distance(colour, ColourOf(grid.threads[At(place)].dmc));
        return d;
    };
    std::vector<std::int32_t> queue;
    const auto enqueueEdge = [&](std::int32_t s) {
        bool edge = false;
        grid.forNeighbours(s, [&](std::int32_t n) { edge = edge || grid.place[At(n)] != merged; });
        if (edge) {
            queued[At(s)] = 1;
            queue.push_back(s);
        }
    };
    for (const std::int32_t s : stitchesOf[At(merged)]) {
        if (grid.place[At(s)] == merged)
            enqueueEdge(s);
    }
    if (queue.empty())
        return false;
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const std::int32_t s = queue[next];
        int best = -1;
        double bestCost = 0;
        grid.forNeighbours(s, [&](std::int32_t n) {
            const int place = grid.place[At(n)];
            if (place != merged && Better(grid, place, distanceOf(place), best, bestCost)) {
                bestCost = distanceOf(place);
                best = place;
            }
        });
        // Queued for a neighbour of another thread; none turns back into the merged one.
        grid.place[At(s)] = static_cast<std::uint8_t>(best);
        --grid.count[At(merged)];
        ++grid.count[At(best)];
        stitchesOf[At(best)].push_back(s);
        grid.forNeighbours(s, [&](std::int32_t n) {
            if (grid.place[At(n)] == merged && queued[At(n)] == 0) {
                queued[At(n)] = 1;
                queue.push_back(n);
            }
        });
    }
    for (const std::int32_t s : queue)
        queued[At(s)] = 0;
    stitchesOf[At(merged)].clear();
    return true;
}

// Finds the groups of one thread's stitches around a stitch, up to a size, remembering the
// stitches known to lie in larger areas: an area only grows while confetti is removed, so a
// stitch once found in a large area stays in one.
class GroupFinder {
public:
    GroupFinder(const StitchGrid& grid, int largest)
        : grid_(grid), largest_(largest)
    {
        if (largest > 1) {
            seen_.assign(At(grid.size()), 0);
            large_.assign(At(grid.size()), 0);
        }
    }

    bool inLargeArea(std::int32_t stitch) const { return largest_ > 1 && large_[At(stitch)] != 0; }

    // The area of `stitch`'s thread through sides and corners, when it has at most `largest`
    // stitches; else empty.
    const std::vector<std::int32_t>& find(std::int32_t stitch)
    {
        const int place = grid_.place[At(stitch)];
        if (largest_ == 1) {
            // A single stitch is known from its eight neighbours alone.
            group_.assign(grid_.hasNeighbourOfItsThread(stitch) ? 0 : 1, stitch);
            return group_;
        }
        ++stamp_;
        group_.assign(1, stitch);
        seen_[At(stitch)] = stamp_;
        bool large = false;
        for (std::size_t next = 0; next < group_.size() && !large; ++next) {
            grid_.forNeighbours(group_[next], [&](std::int32_t n) {
                if (large || seen_[At(n)] == stamp_ || grid_.place[At(n)] != place)
                    return;
                seen_[At(n)] = stamp_;
                group_.push_back(n);
                large = large_[At(n)] != 0 || static_cast<int>(group_.size()) > largest_;
            });
        }
        if (large) {
            for (const std::int32_t s : group_)
                large_[At(s)] = 1;
            group_.clear();
        }
        return group_;
    }

private:
    const StitchGrid& grid_;
    int largest_;
    std::uint32_t stamp_ = 0;
    std::vector<std::uint32_t> seen_;
    std::vector<std::uint8_t> large_;
    std::vector<std::int32_t> group_;
};

// The thread a group of confetti takes, or −1 when it has no neighbour of another thread.
// `candidates` is room for the threads around, kept from group to group.
int ThreadForGroup(const StitchGrid& grid, const std::vector<std::int32_t>& group, const Bitmap& source,
                   const ColourDistanceFunction& distance, std::vector<int>& candidates)
{
    const int own = grid.place[At(group.front())];
    candidates.clear();
    for (const std::int32_t s : group) {
        grid.forNeighbours(s, [&](std::int32_t n) {
            const int place = grid.place[At(n)];
            if (place != own && std::find(candidates.begin(), candidates.end(), place) == candidates.end())
                candidates.push_back(place);
        });
    }
    const bool sourceAtHand = !source.empty() && source.width() == grid.width && source.height() == grid.height;
    const Color ownColour = ColourOf(grid.threads[At(own)].dmc);
    int best = -1;
    double bestCost = 0;
    for (const int candidate : candidates) {
        const Color colour = ColourOf(grid.threads[At(candidate)].dmc);
        double cost = 0;
        for (const std::int32_t s : group)
            cost += distance(sourceAtHand ? source.pixels()[At(s)] : ownColour, colour);
        if (Better(grid, candidate, cost, best, bestCost)) {
            best = candidate;
            bestCost = cost;
        }
    }
    return best;
}

// What a pass changed, from the legend before and after it and its edits.
CleanupPassChanges ChangesOf(const std::vector<LegendEntry>& before, const std::vector<LegendEntry>& after,
                             const std::vector<StitchEdit>& edits)
{
    CleanupPassChanges changes;
    for (const StitchEdit& edit : edits)
        changes.stitches += static_cast<int>(edit.stitches.size());
    std::map<int, int> countAfter;
    for (const LegendEntry& thread : after)
        countAfter[thread.dmc] = thread.stitches;
    for (const LegendEntry& thread : before) {
        const auto it = countAfter.find(thread.dmc);
        changes.rowsRemoved += it == countAfter.end() ? 1 : 0;
        changes.rowsChanged += it == countAfter.end() || it->second != thread.stitches ? 1 : 0;
    }
    return changes;
}

} // namespace

ColourDistanceFunction BuildColourDistance(const SchemeRequest& request)
{
    if (request.perceptual)
        return [](Color a, Color b) { return DeltaE2000(ColorToLab(a), ColorToLab(b)); };
    return [](Color a, Color b) { return static_cast<double>(ColorDistance(a, b)); };
}

namespace {

// The passes on a grid read once: a pass keeps the grid as the chart it leaves, so that the next
// pass need not read the chart again. The grid's places stay those of the legend first read.

std::vector<StitchEdit> RemoveUnused(SchemeDocument& document, const StitchGrid& grid)
{
    std::set<int> unused;
    for (std::size_t k = 0; k < grid.threads.size(); ++k) {
        if (grid.count[k] == 0)
            unused.insert(grid.threads[k].dmc);
    }
    const std::set<int> lines = BackstitchThreads(document);
    std::vector<StitchEdit> edits;
    DropRows(document, [&](const LegendEntry& t) { return unused.contains(t.dmc) && !lines.contains(t.dmc); }, edits);
    return edits;
}

std::vector<StitchEdit> MergeSmall(SchemeDocument& document, StitchGrid& grid, int fewest,
                                   const ColourDistanceFunction& distance)
{
    CheckRange("fewest stitches per thread:", "наименьшее число крестиков нитки:", fewest, kMaxFewestStitches);
    const GridState before(grid);
    // Only threads under `fewest` are ever merged: a thread's count only grows until it is.
    std::vector<std::vector<std::int32_t>> stitchesOf(grid.threads.size());
    bool anyUnder = false;
    for (std::size_t k = 0; k < grid.threads.size(); ++k)
        anyUnder = anyUnder || (grid.count[k] > 0 && grid.count[k] < fewest && grid.threads[k].dmc != kDmcWhite);
    if (!anyUnder)
        return {};
    for (std::int32_t s = 0; s < grid.size(); ++s) {
        const int place = grid.place[At(s)];
        if (grid.count[At(place)] < fewest)
            stitchesOf[At(place)].push_back(s);
    }
    std::vector<std::uint8_t> queued(At(grid.size()), 0);
    std::vector<bool> settled(grid.threads.size(), false); // merged, or alone on the chart
    while (true) {
        int smallest = -1;
        for (std::size_t k = 0; k < grid.threads.size(); ++k) {
            const int count = grid.count[k];
            if (settled[k] || grid.threads[k].dmc == kDmcWhite || count == 0 || count >= fewest)
                continue;
            if (smallest < 0 || count < grid.count[At(smallest)] ||
                (count == grid.count[At(smallest)] && grid.threads[k].dmc < grid.threads[At(smallest)].dmc))
                smallest = static_cast<int>(k);
        }
        if (smallest < 0)
            break;
        settled[At(smallest)] = true;
        MergeThread(grid, smallest, stitchesOf, queued, distance);
    }
    return Apply(document, grid, before);
}

std::vector<StitchEdit> Confetti(SchemeDocument& document, StitchGrid& grid, int largestGroup, const Bitmap& source,
                                 const ColourDistanceFunction& distance)
{
    CheckRange("confetti group:", "размер группы одиночных крестиков:", largestGroup, kMaxConfettiGroup);
    const GridState before(grid);
    GroupFinder groups(grid, largestGroup);
    // Stitches of groups looked at in the first sweep; a single stitch is its own group.
    std::vector<std::uint8_t> taken(largestGroup > 1 ? At(grid.size()) : 0, 0);
    // Groups that took a thread and may still be confetti in their new area.
    std::vector<std::int32_t> again;
    std::vector<int> candidates;
    const auto clean = [&](std::int32_t stitch) {
        if (groups.inLargeArea(stitch))
            return;
        const std::vector<std::int32_t>& group = groups.find(stitch);
        if (group.empty())
            return;
        if (!taken.empty()) {
            for (const std::int32_t s : group)
                taken[At(s)] = 1;
        }
        const int thread = ThreadForGroup(grid, group, source, distance, candidates);
        if (thread < 0)
            return; // the whole chart
        grid.count[grid.place[At(stitch)]] -= static_cast<int>(group.size());
        grid.count[At(thread)] += static_cast<int>(group.size());
        for (const std::int32_t s : group)
            grid.place[At(s)] = static_cast<std::uint8_t>(thread);
        again.push_back(stitch);
    };
    for (std::int32_t s = 0; s < grid.size(); ++s) {
        if (taken.empty() || taken[At(s)] == 0)
            clean(s);
    }
    // Each group taken joins another area, so there are fewer areas every time: this ends.
    for (std::size_t next = 0; next < again.size(); ++next)
        clean(again[next]);
    return Apply(document, grid, before);
}

} // namespace

std::vector<StitchEdit> RemoveUnusedThreads(SchemeDocument& document)
{
    return RemoveUnused(document, ReadGrid(document));
}

std::vector<StitchEdit> MergeSmallThreads(SchemeDocument& document, int fewest, const ColourDistanceFunction& distance)
{
    StitchGrid grid = ReadGrid(document);
    return MergeSmall(document, grid, fewest, distance);
}

std::vector<StitchEdit> RemoveConfetti(SchemeDocument& document, int largestGroup, const Bitmap& source,
                                       const ColourDistanceFunction& distance)
{
    StitchGrid grid = ReadGrid(document);
    return Confetti(document, grid, largestGroup, source, distance);
}

double SingleStitchShare(const SchemeDocument& document)
{
    const StitchGrid grid = ReadGrid(document);
    if (grid.size() == 0)
        return 0;
    std::int64_t single = 0;
    for (std::int32_t s = 0; s < grid.size(); ++s)
        single += grid.hasNeighbourOfItsThread(s) ? 0 : 1;
    return static_cast<double>(single) / static_cast<double>(grid.size());
}

CleanupResult CleanUpScheme(SchemeDocument& document, const CleanupOptions& options, const Bitmap& source)
{
    const ColourDistanceFunction distance = BuildColourDistance(document.request);
    CleanupResult result;
    const auto run = [&](std::size_t pass, auto&& edit) {
        const std::vector<LegendEntry> before = SchemeThreads(document);
        std::vector<StitchEdit> edits = edit();
        result.passes[pass] = ChangesOf(before, SchemeThreads(document), edits);
        for (StitchEdit& e : edits)
            result.edits.push_back(std::move(e));
    };
    try {
        if (options == CleanupOptions{})
            return result;
        StitchGrid grid = ReadGrid(document);
        if (options.removeUnused)
            run(0, [&] { return RemoveUnused(document, grid); });
        if (options.fewestStitches > 0)
            run(1, [&] { return MergeSmall(document, grid, options.fewestStitches, distance); });
        if (options.confettiGroup > 0)
            run(2, [&] { return Confetti(document, grid, options.confettiGroup, source, distance); });
    } catch (...) {
        UndoStitchEdits(document, result.edits);
        throw;
    }
    return result;
}

void UndoStitchEdits(SchemeDocument& document, std::span<const StitchEdit> edits)
{
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
        UndoStitchEdit(document, *it);
}

} // namespace velmora
