#pragma once

#include "color.h"

#include <array>
#include <cstddef>
#include <limits>
#include <span>
#include <stdexcept>

namespace velmora {

// Squared Euclidean distance in RGB, 0..3·255² = 195075. Every nearest-colour search of the
// scheme generation uses it, so all of them agree on which colour is nearest.
constexpr int ColorDistance(Color a, Color b)
{
    const int dr = Red(a) - Red(b);
    const int dg = Green(a) - Green(b);
    const int db = Blue(a) - Blue(b);
    return dr * dr + dg * dg + db * db;
}

// −(R + G + B), −765..0: the smaller the key, the brighter the colour.
constexpr int BrightnessKey(Color c) { return -(Red(c) + Green(c) + Blue(c)); }

// Finds, for any colour, the palette entry whose thread colour is nearest. Of equally near
// entries, entry 0 wins, otherwise the one with the highest index: this is what a search that
// starts with entry 0 and visits the entries from the last down, replacing its candidate only on a
// strictly smaller distance, returns. The distances are computed in one branch-free pass that the
// compiler vectorises, because the mapping runs this search up to a million times per build.
class NearestThread {
public:
    // A palette has at most one entry per catalogue thread.
    static constexpr int kMaxEntries = 391;

    explicit NearestThread(std::span<const Color> threadColors)
        : count_(static_cast<int>(threadColors.size()))
    {
        if (threadColors.empty() || threadColors.size() > kMaxEntries)
            throw std::invalid_argument("a palette must have 1 to 391 thread colours");
        for (std::size_t q = 0; q < threadColors.size(); ++q) {
            red_[q] = Red(threadColors[q]);
            green_[q] = Green(threadColors[q]);
            blue_[q] = Blue(threadColors[q]);
        }
    }

    int size() const { return count_; }

    int Find(Color c) const
    {
        const int r = Red(c), g = Green(c), b = Blue(c);
        std::array<int, kMaxEntries> dist; // only the first count_ are written and read
        int best = std::numeric_limits<int>::max();
        for (int q = 0; q < count_; ++q) {
            const auto i = static_cast<std::size_t>(q);
            const int dr = red_[i] - r, dg = green_[i] - g, db = blue_[i] - b;
            const int d = dr * dr + dg * dg + db * db;
            dist[i] = d;
            best = d < best ? d : best;
        }
        if (dist[0] == best)
            return 0;
        int q = count_ - 1;
        while (dist[static_cast<std::size_t>(q)] != best)
            --q;
        return q;
    }

private:
    int count_;
    std::array<int, kMaxEntries> red_{};
    std::array<int, kMaxEntries> green_{};
    std::array<int, kMaxEntries> blue_{};
};

} // namespace velmora
