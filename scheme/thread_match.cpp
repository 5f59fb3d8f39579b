#include "thread_match.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <stdexcept>

namespace velmora {

const std::array<Lab, kDmcCount>& CatalogueLabs()
{
    static const std::array<Lab, kDmcCount> labs = [] {
        std::array<Lab, kDmcCount> result{};
        for (std::size_t i = 0; i < result.size(); ++i)
            result[i] = ColorToLab(DMCTable[i].Color);
        return result;
    }();
    return labs;
}

NearestByDeltaE::NearestByDeltaE(std::span<const Lab> references)
    : references_(references.begin(), references.end())
{
    if (references.empty() || references.size() > static_cast<std::size_t>(kDmcCount))
        throw std::invalid_argument("a colour match needs 1 to 391 reference colours");
    for (const Lab& r : references) {
        L_.push_back(r.L);
        a_.push_back(r.a);
        b_.push_back(r.b);
    }
}

std::array<NearestByDeltaE::Match, 2> NearestByDeltaE::FindTwo(const Lab& c) const
{
    const std::size_t n = L_.size();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    std::array<Match, 2> best{Match{-1, kInfinity}, Match{-1, kInfinity}};
    auto consider = [&](int q) {
        const double d = DeltaE2000(c, references_[static_cast<std::size_t>(q)]);
        if (d < best[0].distance || (d == best[0].distance && q < best[0].entry)) {
            best[1] = best[0];
            best[0] = {q, d};
        } else if (d < best[1].distance || (d == best[1].distance && q < best[1].entry)) {
            best[1] = {q, d};
        }
    };
    if (n <= static_cast<std::size_t>(kCandidates)) {
        for (std::size_t q = 0; q < n; ++q)
            consider(static_cast<int>(q));
        return best;
    }

    std::array<float, kDmcCount> plain; // only the first n are written and read
    const std::size_t count = n;
    for (std::size_t q = 0; q < count; ++q) {
        const float dL = L_[q] - c.L, da = a_[q] - c.a, db = b_[q] - c.b;
        plain[q] = dL * dL + da * da + db * db;
    }
    // The kCandidates smallest plain distances, lower index first among equals.
    std::array<int, kCandidates> candidates{};
    std::array<float, kCandidates> candidateDistance{};
    int found = 0;
    for (std::size_t q = 0; q < count; ++q) {
        const float d = plain[q];
        if (found == kCandidates && d >= candidateDistance[kCandidates - 1])
            continue;
        int at = found < kCandidates ? found++ : kCandidates - 1;
        while (at > 0 && candidateDistance[static_cast<std::size_t>(at - 1)] > d) {
            candidateDistance[static_cast<std::size_t>(at)] = candidateDistance[static_cast<std::size_t>(at - 1)];
            candidates[static_cast<std::size_t>(at)] = candidates[static_cast<std::size_t>(at - 1)];
            --at;
        }
        candidateDistance[static_cast<std::size_t>(at)] = d;
        candidates[static_cast<std::size_t>(at)] = static_cast<int>(q);
    }
    for (int k = 0; k < found; ++k)
        consider(candidates[static_cast<std::size_t>(k)]);
    return best;
}

NearestByDeltaE::Match NearestByDeltaE::Find(const Lab& c) const { return FindTwo(c)[0]; }

} // namespace velmora
