#pragma once

#include "area_average.h"
#include "picture/bitmap.h"
#include "color_fix_unit.h"

#include <cstdint>
#include <vector>

namespace velmora {

// The working picture of the perceptual build: `source` averaged down to one pixel per stitch
// (point sampled along a side that grows), colour bits only.
Bitmap PerceptualWorkingPicture(const Bitmap& source, int width, int height);

// The perceptual build's colour steps on a working picture of one pixel per stitch: the weighted
// histogram, a palette of at most colorCount colours fitted in CIELAB, a thread for each by
// CIEDE2000, and every stitch matched to its thread by ΔE00 (through a cache per distinct colour)
// or, with dithering, by error diffusion in linear light. Fills the reduction's histogram and its
// palette lists as the default build does (Palette holds the thread colours; entries that end
// with no stitch are left out) and paints every pixel of `picture` with its thread's colour.
// Returns the palette entry of every stitch, row by row from the top.
std::vector<std::uint8_t> MapPerceptually(Bitmap& picture, int colorCount, bool dithering, ColorFixUnit& reduction);

} // namespace velmora
