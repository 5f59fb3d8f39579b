#include "lab_palette.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>

namespace velmora {
namespace {

// Distinct colours up to this number are fitted one by one.
constexpr std::size_t kExactColours = 4096;
// Lloyd rounds stop earlier once no point changes its colour.
constexpr int kMaxRounds = 24;

struct Sum {
    double L = 0, a = 0, b = 0, weight = 0;
    void Add(const Lab& c, double w)
    {
        L += w * c.L;
        a += w * c.a;
        b += w * c.b;
        weight += w;
    }
    Lab Mean() const
    {
        return {static_cast<float>(L / weight), static_cast<float>(a / weight), static_cast<float>(b / weight)};
    }
};

// A uniform draw in [0, 1) from the Mersenne twister's 32-bit output, which the standard fixes
// for every library (its distributions it does not).
double Uniform(std::mt19937& random) { return static_cast<double>(random()) / 4294967296.0; }

std::size_t NearestCentre(const Lab& c, const std::vector<Lab>& centres)
{
    std::size_t best = 0;
    float bestDistance = std::numeric_limits<float>::infinity();
    for (std::size_t k = 0; k < centres.size(); ++k) {
        const float d = LabDistanceSquared(c, centres[k]);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

// k-means++ (Arthur and Vassilvitskii, 2007), each point counted with its weight.
std::vector<Lab> SeedCentres(std::span<const WeightedLab> points, std::size_t n)
{
    std::mt19937 random(20261211U);
    std::vector<Lab> centres;
    std::vector<double> nearest(points.size(), std::numeric_limits<double>::infinity());
    auto draw = [&](auto score) {
        double sum = 0;
        for (std::size_t i = 0; i < points.size(); ++i)
            sum += score(i);
        double target = Uniform(random) * sum;
        for (std::size_t i = 0; i < points.size(); ++i) {
            target -= score(i);
            if (target < 0 && score(i) > 0)
                return i;
        }
        // Rounding left the draw past the end: the last point that can be drawn.
        for (std::size_t i = points.size(); i-- > 0;) {
            if (score(i) > 0)
                return i;
        }
        return std::size_t{0};
    };
    std::size_t chosen = draw([&](std::size_t i) { return points[i].weight; });
    while (true) {
        centres.push_back(points[chosen].lab);
        if (centres.size() == n)
            break;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double d = LabDistanceSquared(points[i].lab, centres.back());
            if (d < nearest[i])
                nearest[i] = d;
        }
        double spread = 0;
        for (std::size_t i = 0; i < points.size(); ++i)
            spread += points[i].weight * nearest[i];
        if (spread <= 0)
            break; // every point already lies on a centre
        chosen = draw([&](std::size_t i) { return points[i].weight * nearest[i]; });
    }
    return centres;
}

} // namespace

std::vector<WeightedLab> GatherColours(std::span<const Color> colors, std::span<const int> counts,
                                       std::span<const Lab> labs)
{
    if (colors.size() != counts.size() || colors.size() != labs.size())
        throw std::invalid_argument("every colour needs its count and its CIELAB colour");
    std::vector<WeightedLab> points;
    if (colors.size() <= kExactColours) {
        for (std::size_t i = 0; i < colors.size(); ++i)
            points.push_back({labs[i], static_cast<double>(counts[i])});
        return points;
    }
    constexpr std::size_t kCells = std::size_t{1} << 15;
    std::vector<Sum> cells(kCells);
    auto cellOf = [](Color c) {
        return static_cast<std::size_t>((Red(c) >> 3) | ((Green(c) >> 3) << 5) | ((Blue(c) >> 3) << 10));
    };
    for (std::size_t i = 0; i < colors.size(); ++i)
        cells[cellOf(colors[i])].Add(labs[i], counts[i]);
    for (const Sum& cell : cells) {
        if (cell.weight > 0)
            points.push_back({cell.Mean(), cell.weight});
    }
    return points;
}

std::vector<WeightedLab> LabPalette(std::span<const WeightedLab> points, int n)
{
    if (n < 1)
        throw std::invalid_argument("a palette needs at least one colour");
    if (points.size() <= static_cast<std::size_t>(n))
        return {points.begin(), points.end()};

    std::vector<Lab> centres = SeedCentres(points, static_cast<std::size_t>(n));
    std::vector<std::size_t> owner(points.size(), centres.size());
    std::vector<Sum> sums;
    for (int round = 0; round < kMaxRounds; ++round) {
        bool changed = false;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::size_t k = NearestCentre(points[i].lab, centres);
            changed = changed || k != owner[i];
            owner[i] = k;
        }
        sums.assign(centres.size(), Sum{});
        for (std::size_t i = 0; i < points.size(); ++i)
            sums[owner[i]].Add(points[i].lab, points[i].weight);
        for (std::size_t k = 0; k < centres.size(); ++k) {
            if (sums[k].weight > 0)
                centres[k] = sums[k].Mean();
        }
        if (!changed)
            break;
    }
    std::vector<WeightedLab> palette;
    for (std::size_t k = 0; k < centres.size(); ++k) {
        if (sums[k].weight > 0)
            palette.push_back({centres[k], sums[k].weight});
    }
    return palette;
}

std::vector<WeightedLab> SpreadPalette(std::vector<WeightedLab> palette, std::span<const WeightedLab> points,
                                       double share, int kept)
{
    Sum all;
    for (const WeightedLab& p : points)
        all.Add(p.lab, p.weight);
    if (all.weight <= 0)
        return palette;
    const Lab mean = all.Mean();
    auto away = [share](float v, float from) { return static_cast<float>(v + share * (v - from)); };
    for (std::size_t k = 0; k < palette.size(); ++k) {
        if (static_cast<int>(k) == kept)
            continue;
        WeightedLab& c = palette[k];
        c.lab.L = std::clamp(away(c.lab.L, mean.L), 0.0F, 100.0F);
        c.lab.a = away(c.lab.a, mean.a);
        c.lab.b = away(c.lab.b, mean.b);
    }
    return palette;
}

} // namespace velmora
