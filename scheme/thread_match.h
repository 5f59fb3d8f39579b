#pragma once

#include "color_science.h"
#include "dmc_inc.h"

#include <array>
#include <span>
#include <vector>

namespace velmora {

// The CIELAB colour of every catalogue thread, indexed like DMCTable.
const std::array<Lab, kDmcCount>& CatalogueLabs();

// Finds, for a colour, the entry of a small set of reference colours (the threads of a scheme)
// nearest by CIEDE2000. ΔE00 costs some forty nanoseconds a pair, too much for every entry and
// every colour of a photograph, so the plain CIELAB distance picks the few nearest entries first
// and ΔE00 decides among them: the two distances order near colours alike, and the candidates
// are many more than the handful whose order ΔE00 changes. Of equally near entries the lowest
// index wins.
class NearestByDeltaE {
public:
    static constexpr int kCandidates = 8;

    explicit NearestByDeltaE(std::span<const Lab> references);

    int size() const { return static_cast<int>(L_.size()); }

    struct Match {
        int entry;
        double distance;
    };
    Match Find(const Lab& c) const;
    // The nearest entry and the next nearest (entry −1 and an infinite distance when there is
    // only one entry).
    std::array<Match, 2> FindTwo(const Lab& c) const;

private:
    // Structure of arrays, so that the plain distances to all entries vectorise.
    std::vector<float> L_, a_, b_;
    std::vector<Lab> references_;
};

} // namespace velmora
