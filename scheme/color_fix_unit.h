#pragma once

#include "picture/bitmap.h"
#include "picture/color.h"

#include <span>
#include <vector>

namespace velmora {

// One median-cut group: a box of distinct colours of the histogram.
struct TGroup {
    std::vector<int> Members; // histogram indices; only the first Count are valid
    int Count = 0;
    int MinB = 0, MaxB = 0, RangeB = 0;
    int MinG = 0, MaxG = 0, RangeG = 0;
    int MinR = 0, MaxR = 0, RangeR = 0;
};

// Colour reduction: the histogram of the working picture, the median cut that reduces its
// distinct colours to a palette, and the palette-side lists that the thread assignment and the
// mapping fill in afterwards. The state is replaced by each ReduceColors and read by the build,
// the tests and the tools, hence the public members.
class ColorFixUnit {
public:
    // Histogram capacity at the start of a reduction, and the step it grows by when full.
    static constexpr int kHistInitialCapacity = 1000;
    static constexpr int kHistGrowth = 100;

    // Builds the histogram of `picture` and a palette of at most n colours (n ≥ 1). Only the low
    // 24 bits of a pixel count as its colour.
    void ReduceColors(const Bitmap& picture, int n);
    // The same for a caller that needs the picture's colours no longer: each pixel of `picture` is
    // replaced by its histogram index instead of keeping the indices in PixelHist, which stays
    // empty. A colour is HistColors[index] again.
    void ReduceColorsInPlace(Bitmap& picture, int n);

    // Builds only the histogram of `picture` and PixelHist, for a build that finds its palette
    // another way; the palette lists are left empty and HistMapped zero.
    void CountColors(const Bitmap& picture);

    // Reduces a histogram of more than n colours to n palette colours.
    void MedianCut(int n);
    void UpdateGroupBounds(int g);
    int GroupMaxRange(int g) const;
    int ChooseGroupToSplit() const;
    void SplitGroup(int g);

    std::vector<Color> HistColors; // distinct colours, strictly ascending; HistCapacity long
    std::vector<int> HistCounts;   // pixels of each distinct colour; HistCapacity long
    int HistSize = 0;
    int HistCapacity = 0;
    std::vector<Color> HistMapped; // thread colour of each distinct colour (plain mapping)

    std::vector<Color> Palette;
    int PaletteSize = 0;
    std::vector<int> PaletteDMC;      // catalogue index of each entry's thread
    std::vector<int> PaletteStitches; // stitches of each entry

    // The histogram index of every pixel of the last reduced picture, row by row from the top,
    // so that mapping a pixel needs no search.
    std::vector<int> PixelHist;

    // Working data of the median cut, which reads the components from HistColors.
    std::vector<TGroup> Groups;
    int GroupsInUse = 0;

private:
    // Fills the histogram from `pixels` and writes the histogram index of pixel i to index[i],
    // which may be the pixels themselves.
    template <typename Index>
    void BuildHistogram(std::span<const Color> pixels, std::span<Index> index);
    void ReducePalette(int n);
};

} // namespace velmora
