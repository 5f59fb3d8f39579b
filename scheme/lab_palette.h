#pragma once

#include "picture/color.h"
#include "color_science.h"

#include <span>
#include <vector>

namespace velmora {

// A colour and how many stitches it stands for.
struct WeightedLab {
    Lab lab;
    double weight;
};

// The points the palette is fitted to: the distinct colours themselves while they are few, and
// otherwise one point per cell of 5 bits a component (32 sRGB steps of 8) at the mean CIELAB of
// the colours in it, weighted by their stitches. A cell is at most a few ΔE00 across, well
// below a palette step, and a photograph of a million colours shrinks to tens of thousands of
// points. `colors` ascending, with their stitch counts and CIELAB colours.
std::vector<WeightedLab> GatherColours(std::span<const Color> colors, std::span<const int> counts,
                                       std::span<const Lab> labs);

// At most n colours that stand for `points` with the least weighted squared CIELAB error:
// k-means++ seeds drawn with a fixed seed, then k-means rounds (Lloyd) until no point changes its
// colour. Each result carries the weight of the points it stands for, none is empty, and the same
// points give the same palette on every machine. With no more points than n the points are the
// palette.
std::vector<WeightedLab> LabPalette(std::span<const WeightedLab> points, int n);

// Error diffusion gives only mixtures of its threads, colours within their hull, and a palette of
// cluster means lies well inside the picture's colours: its lights and darks would come out as
// halos of the nearest colours. So for a dithered build each palette colour moves away from the
// weighted mean colour of `points` by `share` of its distance from it, L held to 0..100. The
// entry `kept` (none if −1), a page that White will stand for, stays where it is.
std::vector<WeightedLab> SpreadPalette(std::vector<WeightedLab> palette, std::span<const WeightedLab> points,
                                       double share, int kept);

} // namespace velmora
