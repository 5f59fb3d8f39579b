#pragma once

#include "bitmap.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace velmora {

// The whole content of a file. Throws PictureError when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

// Loads a source picture, choosing the decoder by the extension, letter case ignored:
// ".bmp" a Windows bitmap, ".jpg" and ".jpeg" JPEG. Any other extension, a missing or unreadable
// file and damaged data throw PictureError.
Bitmap LoadPicture(const std::filesystem::path& path);

} // namespace velmora
