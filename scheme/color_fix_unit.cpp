#include "color_fix_unit.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace velmora {
namespace {

constexpr Color kColorMask = 0xFFFFFF;

// Capacity the histogram reaches when colours are inserted one by one: it starts at 1000 entries
// and grows by 100 whenever a new colour finds it full.
int HistCapacityFor(int distinctColors)
{
    if (distinctColors <= ColorFixUnit::kHistInitialCapacity)
        return ColorFixUnit::kHistInitialCapacity;
    const int over = distinctColors - ColorFixUnit::kHistInitialCapacity;
    const int steps = (over + ColorFixUnit::kHistGrowth - 1) / ColorFixUnit::kHistGrowth;
    return ColorFixUnit::kHistInitialCapacity + steps * ColorFixUnit::kHistGrowth;
}

} // namespace

void ColorFixUnit::ReduceColors(const Bitmap& picture, int n)
{
    if (n < 1)
        throw std::invalid_argument("the number of colours to reduce to must be at least 1");
    PixelHist.resize(picture.pixels().size());
    BuildHistogram(picture.pixels(), std::span<int>(PixelHist));
    ReducePalette(n);
}

void ColorFixUnit::ReduceColorsInPlace(Bitmap& picture, int n)
{
    if (n < 1)
        throw std::invalid_argument("the number of colours to reduce to must be at least 1");
    PixelHist.clear();
    PixelHist.shrink_to_fit();
    BuildHistogram(std::span<const Color>(picture.pixels()), picture.pixels());
    ReducePalette(n);
}

void ColorFixUnit::CountColors(const Bitmap& picture)
{
    PixelHist.resize(picture.pixels().size());
    BuildHistogram(picture.pixels(), std::span<int>(PixelHist));
    Palette.clear();
    PaletteSize = 0;
    PaletteDMC.clear();
    PaletteStitches.clear();
    HistMapped.assign(static_cast<std::size_t>(HistSize), 0);
}

void ColorFixUnit::ReducePalette(int n)
{
    if (HistSize > n) {
        MedianCut(n);
    } else {
        // No more distinct colours than asked: they are the palette, in ascending order.
        PaletteSize = HistSize;
        Palette.assign(HistColors.begin(), HistColors.begin() + HistSize);
        PaletteDMC.assign(static_cast<std::size_t>(PaletteSize), 0);
        PaletteStitches.assign(static_cast<std::size_t>(PaletteSize), 0);
    }
    HistMapped.assign(static_cast<std::size_t>(HistSize), 0);
}

// Inserting the colours one at a time into a sorted array is quadratic in the number of distinct
// colours, which a 1000 × 1000 photograph can have a million of. Marking the
// colours in a bit set of all 2^24 values (2 MiB) gives the same sorted list in linear time, and
// the number of set bits below a colour is its index, which every pixel keeps in PixelHist.
template <typename Index>
void ColorFixUnit::BuildHistogram(std::span<const Color> pixels, std::span<Index> pixelIndex)
{
    constexpr std::size_t kWords = (std::size_t{1} << 24) / 64;
    std::vector<std::uint64_t> present(kWords, 0);
    for (const Color pixel : pixels) {
        const Color c = pixel & kColorMask;
        present[c >> 6] |= std::uint64_t{1} << (c & 63);
    }

    std::vector<std::int32_t, LeaveNewAllocator<std::int32_t>> rank(kWords); // every word written below
    std::int32_t distinct = 0;
    for (std::size_t w = 0; w < kWords; ++w) {
        rank[w] = distinct;
        distinct += std::popcount(present[w]);
    }

    HistSize = distinct;
    HistCapacity = HistCapacityFor(distinct);
    HistColors.assign(static_cast<std::size_t>(HistCapacity), 0);
    HistCounts.assign(static_cast<std::size_t>(HistCapacity), 0);
    std::size_t next = 0;
    for (std::size_t w = 0; w < kWords; ++w) {
        for (std::uint64_t bits = present[w]; bits != 0; bits &= bits - 1)
            HistColors[next++] = static_cast<Color>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
    }

    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const Color c = pixels[i] & kColorMask;
        const std::uint64_t below = present[c >> 6] & ((std::uint64_t{1} << (c & 63)) - 1);
        const int index = rank[c >> 6] + std::popcount(below);
        pixelIndex[i] = static_cast<Index>(index);
        ++HistCounts[static_cast<std::size_t>(index)];
    }
}

} // namespace velmora
