#pragma once

#include "picture/bitmap.h"

namespace velmora {

// How the colours of the source pixels under one stitch are averaged.
enum class AverageIn {
    LinearLight, // the light the pixels give off: what the eye sees from a distance
    Srgb,        // the stored component values
};

// Resamples `source` to width × height for the perceptual build. Along a side that shrinks, each
// target pixel is the mean of the source pixels it covers, a pixel cut by the border counting
// for the part it covers; along a side that grows or keeps its size, pixels are point sampled
// exactly as StretchPointSampled does, so an enlarged picture keeps its hard edges. Only the 24
// colour bits of a pixel are read and written.
Bitmap StretchAreaAverage(const Bitmap& source, int width, int height, AverageIn space = AverageIn::LinearLight);

} // namespace velmora
