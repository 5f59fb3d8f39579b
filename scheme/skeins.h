#pragma once

#include "backstitch.h"
#include "cell_table.h"

#include <span>
#include <string>
#include <vector>

namespace velmora {

// The cloth a chart is stitched on, counted in stitches per inch: Aida 11, 14, 16, 18 or 20, or
// an evenweave stitched over two threads (28 counts as 14, 32 as 16).
inline constexpr int kSmallestFabricCount = 6;
inline constexpr int kLargestFabricCount = 40;
inline constexpr int kDefaultFabricCount = 14;

// Throws std::invalid_argument naming the count when it lies outside 6..40.
void CheckFabricCount(int count);

// The length of `stitches` stitches on cloth of `count` stitches per inch, in millimetres.
double FinishedMillimetres(int stitches, int count);

// The thread of backstitch each line thread takes on cloth of `count`: the lines' lengths from
// corner to corner, summed per thread, in the order the threads first appear among `lines`.
struct BackstitchLength {
    int dmc = 0;
    double millimetres = 0;
};
std::vector<BackstitchLength> BackstitchLengths(std::span<const Backstitch> lines, int count);

// The stitches one skein covers on cloth of `count`: an 8 m skein of six strands stitched two at a
// time, full crosses, with an allowance for starting, ending and travelling (README, "Skeins").
int StitchesPerSkein(int count);
// The whole skeins `stitches` stitches need: none for none, at least one for any.
int SkeinsFor(long long stitches, int count);

// One thread of a scheme's legend as a shopping list has it.
struct ThreadUse {
    std::string thread; // the catalogue name, as the legend writes it (Windows-1251)
    long long stitches = 0;
    int skeins = 0;
};

// The threads of a legend (the scheme builder's table: name in column 3, crosses in column 4), in
// legend order, rows without a thread left out.
std::vector<ThreadUse> ThreadUses(const CellTable& legend, int count);

} // namespace velmora
