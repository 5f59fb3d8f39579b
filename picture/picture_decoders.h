#pragma once

#include "bitmap.h"

#include <cstdint>
#include <span>

namespace velmora {

// Decoders of the picture kinds read besides Windows bitmaps and JPEG, each through its Debian
// library. Each takes a whole file held in memory and gives a 24-bit picture of its first (or
// primary) image: transparency laid on white, 16-bit samples rounded to 8 bits, grey as R = G = B.
// Each throws PictureError naming the fault when the data is damaged or cut short, and refuses a
// file whose declared picture is beyond the picture limits or costlier to decode than its size
// allows (picture_budget.h) before allocating it.

// Every colour type and bit depth, interlaced or not, through libspng.
Bitmap DecodePng(std::span<const std::uint8_t> file);
// Lossy, lossless, with alpha; an animated file gives its first frame. Through libwebp.
Bitmap DecodeWebp(std::span<const std::uint8_t> file);
// The first frame on its canvas, through giflib; the canvas outside it is transparent.
Bitmap DecodeGif(std::span<const std::uint8_t> file);
// The first page, strips or tiles, 1 to 16 bits a sample, through libtiff.
Bitmap DecodeTiff(std::span<const std::uint8_t> file);
// The primary image, turned and mirrored as the file says, through libheif.
Bitmap DecodeHeif(std::span<const std::uint8_t> file);

} // namespace velmora
