#pragma once

#include "bitmap.h"

#include <cstdint>
#include <span>

namespace velmora {

// The orientation a JPEG file's EXIF block gives its picture, 1 to 8 as EXIF numbers them (1: as
// stored; 6: to be turned a quarter clockwise, as phones held upright store their photos; 2, 4, 5
// and 7 mirror as well). 1 when the file has no EXIF block, the block names no orientation or the
// block is damaged: a picture shown as stored is the safe reading of a doubtful tag.
int JpegExifOrientation(std::span<const std::uint8_t> jpeg);

// The stored picture turned and mirrored upright as `orientation` says (1 to 8; any other value
// leaves it as it is).
Bitmap TurnUpright(Bitmap stored, int orientation);

} // namespace velmora
