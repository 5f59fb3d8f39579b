#pragma once

#include "picture/color.h"

#include <array>
#include <cstddef>
#include <cstdint>
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
            red_[q] = static_cast<std::int16_t>(Red(threadColors[q]));
            green_[q] = static_cast<std::int16_t>(Green(threadColors[q]));
            blue_[q] = static_cast<std::int16_t>(Blue(threadColors[q]));
        }
    }

    int size() const { return count_; }

    int Find(Color c) const
    {
        const auto r = static_cast<std::int16_t>(Red(c));
        const auto g = static_cast<std::int16_t>(Green(c));
        const auto b = static_cast<std::int16_t>(Blue(c));
        std::array<int, kMaxEntries> dist; // only the first count_ are written and read
        int best = std::numeric_limits<int>::max();
        for (std::size_t q = 0; q < static_cast<std::size_t>(count_); ++q) {
            // A component difference squared is below 2^16, so 16-bit lanes hold each square
            // exactly; only the sum needs 32 bits. Twice as many lanes per instruction.
            const auto dr = static_cast<std::int16_t>(red_[q] - r);
            const auto dg = static_cast<std::int16_t>(green_[q] - g);
            const auto db = static_cast<std::int16_t>(blue_[q] - b);
            const int d = static_cast<std::uint16_t>(dr * dr) + static_cast<std::uint16_t>(dg * dg) +
                          static_cast<std::uint16_t>(db * db);
            dist[q] = d;
            best = d < best ? d : best;
        }
        if (dist[0] == best)
            return 0;
        std::size_t q = static_cast<std::size_t>(count_ - 1);
        while (dist[q] != best)
            --q;
        return static_cast<int>(q);
    }

private:
    int count_;
    std::array<std::int16_t, kMaxEntries> red_{};
    std::array<std::int16_t, kMaxEntries> green_{};
    std::array<std::int16_t, kMaxEntries> blue_{};
};

} // namespace velmora
