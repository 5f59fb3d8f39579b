#pragma once

#include "bitmap.h"

#include <cstdint>
#include <span>

namespace velmora {

// Decodes a JPEG file held in memory with libjpeg's default settings at full size, into a
// 24-bit picture (greyscale, CMYK and YCCK pictures come out as RGB). Throws PictureError with
// libjpeg's message when the data is not a JPEG it can decode.
Bitmap DecodeJpeg(std::span<const std::uint8_t> file);

} // namespace velmora
