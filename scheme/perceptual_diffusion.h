#pragma once

#include "picture/bitmap.h"
#include "color_science.h"
#include "thread_match.h"

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

// Error diffusion for the perceptual build. Every pixel of `picture` takes the entry of `match`
// nearest by ΔE00 to the pixel plus the error it has received, and passes on the difference,
// in linear light, between that colour and the colour its entry stands for (references[q]):
// light mixes in linear light, so a stitch pattern seen from a distance gives the mean colour.
// Floyd and Steinberg's weights on a serpentine scan (rows from the top, every other row from
// the right) spread the error without the diagonal worms of a one-way scan; a pixel's colour
// with its received error is held to the sRGB gamut and the error it passes on to a third of the
// full scale, so a run of stitches no thread can match does not build up an error that bursts
// out further on. Returns the entry of every pixel, row by row from the top.
std::vector<std::uint8_t> DiffusePerceptually(const Bitmap& picture, const NearestByDeltaE& match,
                                              std::span<const Lab> references);

} // namespace velmora
