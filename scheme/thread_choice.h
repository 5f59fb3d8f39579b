#pragma once

#include "color_fix_unit.h"
#include "color_science.h"
#include "dmc_inc.h"
#include "lab_palette.h"

#include <array>
#include <span>
#include <vector>

namespace velmora {

// A thread for each colour of the palette: the default build's way first, by plain RGB distance,
// then the perceptual build's, by CIEDE2000.

// Gives every palette entry of `reduction` its own thread (PaletteDMC), the nearest by
// ColorDistance of those still free in `used`, which it marks. Entries are served from the last
// to the first; White is tried first, so of equally near free threads White wins, and otherwise
// the one with the highest catalogue index.
void AssignThreads(ColorFixUnit& reduction, std::array<int, kDmcCount>& used);

// The threads of a perceptual build: one catalogue thread per palette entry, no thread twice,
// and the colour each entry's stitches are matched against.
struct ThreadChoice {
    std::vector<int> dmc;       // catalogue index of each entry
    std::vector<Lab> reference; // the thread's colour; for White standing for a page, the page's
};

// A palette colour that lies within this ΔE00 of White and covers at least kPageShare of the
// stitches is taken for the page or cloth around a picture. A scanned page is seldom whiter than
// 240 (ΔE00 about 4 from White) and its nearest threads are pale greys, which would have the
// whole background stitched.
inline constexpr double kPageDeltaE = 7.0;
inline constexpr double kPageShare = 0.05;

// The entry of `palette` that stands for a page, the heaviest of those colours, or −1.
int PageEntry(std::span<const WeightedLab> palette);

// Whether the threads, once each palette colour has its nearest, are swapped for catalogue
// neighbours that serve the stitches better. The swaps lower the error of stitches matched one by
// one; with error diffusion they would pull the threads back inside the picture's colours, which
// the diffusion needs spread (SpreadPalette).
enum class ThreadRefinement { NearestOnly, Swaps };

// Gives each colour of `palette` its own catalogue thread nearest by ΔE00, the heaviest colours
// choosing first, and a page colour White, which then stands for the page's colour. Then, with
// Swaps, for a few rounds while the mean ΔE00 of `points` to their nearest thread falls, each
// entry tries the free threads nearest to the colours it covers and takes the one that serves them
// best (a k-medoids swap over the catalogue).
ThreadChoice ChooseThreads(std::span<const WeightedLab> palette, std::span<const WeightedLab> points,
                           ThreadRefinement refinement = ThreadRefinement::Swaps);

// The weighted mean ΔE00 of `points` to the nearest reference of `choice`.
double MeanDeltaE(const ThreadChoice& choice, std::span<const WeightedLab> points);

} // namespace velmora
