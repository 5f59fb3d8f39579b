#pragma once

#include "bitmap.h"

#include <cstdint>
#include <span>

namespace velmora {

// Decodes a JPEG file held in memory with libjpeg's default settings at full size, into a
// 24-bit picture (greyscale, CMYK and YCCK pictures come out as RGB). Throws PictureError with
// libjpeg's message when the data is not a JPEG it can decode.
//
// Files whose decoding would cost out of all proportion to their size are refused before their
// picture data is decoded, and so are files whose picture data is cut short. A file that lacks
// only its end marker is decoded as if it had it.
Bitmap DecodeJpeg(std::span<const std::uint8_t> file);

// Throws PictureError, in libjpeg's words, unless `start` (a file's first two bytes) begins a
// JPEG file. Lets a loader refuse a large file of something else before reading all of it.
void CheckJpegStart(std::span<const std::uint8_t, 2> start);

} // namespace velmora
