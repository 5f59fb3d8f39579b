#include "thread_choice.h"

#include "color_distance.h"
#include "dmc_inc.h"
#include "thread_match.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace velmora {
namespace {

constexpr int kRefineRounds = 4;
// Free threads an entry tries in one round: the nearest to the colours it covers.
constexpr int kSwapCandidates = 6;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// The free catalogue threads nearest to c by ΔE00, nearest first, lower index first among equals.
std::vector<int> NearestFreeThreads(const Lab& c, const std::array<bool, kDmcCount>& used, int count)
{
    const auto& labs = CatalogueLabs();
    std::vector<std::pair<double, int>> order;
    for (int i = 0; i < kDmcCount; ++i) {
        if (!used[At(i)])
            order.emplace_back(DeltaE2000(c, labs[At(i)]), i);
    }
    const auto keep = std::min(order.size(), static_cast<std::size_t>(count));
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(keep), order.end());
    std::vector<int> result;
    for (std::size_t k = 0; k < keep; ++k)
        result.push_back(order[k].second);
    return result;
}

struct Owners {
    std::vector<int> entry;
    std::vector<double> nearest, second;
    double cost = 0;
};

Owners Assign(const ThreadChoice& choice, std::span<const WeightedLab> points)
{
    // Choosing threads compares sums over many colours, which a rare miss hardly moves.
    const NearestByDeltaE match(choice.reference, 4);
    Owners owners;
    owners.entry.resize(points.size());
    owners.nearest.resize(points.size());
    owners.second.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto two = match.FindTwo(points[i].lab);
        owners.entry[i] = two[0].entry;
        owners.nearest[i] = two[0].distance;
        owners.second[i] = two[1].distance;
        owners.cost += points[i].weight * two[0].distance;
    }
    return owners;
}

// One round of swaps. An entry's members move either to the candidate or to their second
// nearest entry, whichever is nearer; other points can only gain from the candidate, so a swap
// that pays for the members alone pays.
bool SwapRound(ThreadChoice& choice, int page, std::span<const WeightedLab> points, const Owners& owners)
{
    const auto& labs = CatalogueLabs();
    std::array<bool, kDmcCount> used{};
    for (const int t : choice.dmc)
        used[At(t)] = true;
    std::vector<std::vector<std::size_t>> members(choice.dmc.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        members[At(owners.entry[i])].push_back(i);

    bool swapped = false;
    for (std::size_t q = 0; q < choice.dmc.size(); ++q) {
        if (static_cast<int>(q) == page || members[q].empty())
            continue;
        double L = 0, a = 0, b = 0, weight = 0, current = 0;
        for (const std::size_t i : members[q]) {
            const double w = points[i].weight;
            L += w * points[i].lab.L;
            a += w * points[i].lab.a;
            b += w * points[i].lab.b;
            weight += w;
            current += w * owners.nearest[i];
        }
        const Lab mean{static_cast<float>(L / weight), static_cast<float>(a / weight), static_cast<float>(b / weight)};
        int best = -1;
        double bestCost = current * (1.0 - 1e-9);
        for (const int t : NearestFreeThreads(mean, used, kSwapCandidates)) {
            double cost = 0;
            for (const std::size_t i : members[q])
                cost += points[i].weight * std::min(DeltaE2000(points[i].lab, labs[At(t)]), owners.second[i]);
            if (cost < bestCost) {
                bestCost = cost;
                best = t;
            }
        }
        if (best >= 0) {
            used[At(choice.dmc[q])] = false;
            used[At(best)] = true;
            choice.dmc[q] = best;
            choice.reference[q] = labs[At(best)];
            swapped = true;
        }
    }
    return swapped;
}

} // namespace

int PageEntry(std::span<const WeightedLab> palette)
{
    double total = 0;
    for (const WeightedLab& p : palette)
        total += p.weight;
    const Lab white = CatalogueLabs()[kDmcWhite];
    int page = -1;
    for (std::size_t p = 0; p < palette.size(); ++p) {
        if (palette[p].weight < kPageShare * total || DeltaE2000(palette[p].lab, white) > kPageDeltaE)
            continue;
        if (page < 0 || palette[p].weight > palette[At(page)].weight)
            page = static_cast<int>(p);
    }
    return page;
}

ThreadChoice ChooseThreads(std::span<const WeightedLab> palette, std::span<const WeightedLab> points,
                           ThreadRefinement refinement)
{
    const auto& labs = CatalogueLabs();
    ThreadChoice choice;
    choice.dmc.assign(palette.size(), -1);
    choice.reference.resize(palette.size());
    std::array<bool, kDmcCount> used{};

    const int page = PageEntry(palette);
    if (page >= 0) {
        choice.dmc[At(page)] = kDmcWhite;
        choice.reference[At(page)] = palette[At(page)].lab;
        used[kDmcWhite] = true;
    }
    std::vector<std::size_t> order(palette.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return palette[x].weight > palette[y].weight; });
    for (const std::size_t p : order) {
        if (static_cast<int>(p) == page)
            continue;
        const int t = NearestFreeThreads(palette[p].lab, used, 1).front();
        choice.dmc[p] = t;
        choice.reference[p] = labs[At(t)];
        used[At(t)] = true;
    }

    if (refinement == ThreadRefinement::NearestOnly)
        return choice;
    Owners owners = Assign(choice, points);
    for (int round = 0; round < kRefineRounds; ++round) {
        ThreadChoice tried = choice;
        if (!SwapRound(tried, page, points, owners))
            break;
        Owners next = Assign(tried, points);
        if (next.cost >= owners.cost)
            break;
        choice = std::move(tried);
        owners = std::move(next);
    }
    return choice;
}

double MeanDeltaE(const ThreadChoice& choice, std::span<const WeightedLab> points)
{
    double weight = 0;
    for (const WeightedLab& p : points)
        weight += p.weight;
    return weight > 0 ? Assign(choice, points).cost / weight : 0.0;
}

void AssignThreads(ColorFixUnit& reduction, std::array<int, kDmcCount>& used)
{
    for (int p = reduction.PaletteSize - 1; p >= 0; --p) {
        const Color color = reduction.Palette[At(p)];
        int candidate = -1;
        int candidateDistance = 0;
        if (used[kDmcWhite] == 0) {
            candidate = kDmcWhite;
            candidateDistance = ColorDistance(DMCTable[kDmcWhite].Color, color);
        }
        for (int i = kDmcCount - 1; i >= 0; --i) {
            if (used[At(i)] != 0)
                continue;
            const int distance = ColorDistance(DMCTable[At(i)].Color, color);
            if (candidate < 0 || distance < candidateDistance) {
                candidate = i;
                candidateDistance = distance;
            }
        }
        if (candidate < 0)
            throw std::logic_error("the palette has more entries than the catalogue has threads");
        reduction.PaletteDMC[At(p)] = candidate;
        used[At(candidate)] = 1;
    }
}

} // namespace velmora
