#pragma once

#include "picture/bitmap.h"
#include "picture/color.h"

#include <span>
#include <vector>

namespace velmora {

// Maps every pixel of `picture` to the palette entry whose thread colour is nearest and passes
// the difference on to the neighbours not mapped yet, so that a colour lying between two threads
// comes out as a mixture of both. threadColors[q] is the thread colour of palette entry q.
//
// Pixels are visited from the bottom row up, each row from right to left. A pixel that is
// neither in column 0 nor in row 0 passes k tenths of its error (pixel minus thread, the fraction
// dropped toward zero) to its left (k = 3), upper (3), upper-left (2) and upper-right (2)
// neighbours, each component held to 0..255; nothing is written beyond the right edge.
//
// Afterwards every pixel holds its thread colour. Adds one stitch per pixel to stitches[q]
// (stitches has one counter per palette entry) and returns the palette entry of every pixel, row
// by row from the top.
std::vector<int> DiffuseErrors(Bitmap& picture, std::span<const Color> threadColors, std::span<int> stitches);

} // namespace velmora
