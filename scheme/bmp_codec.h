#pragma once

#include "bitmap.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace velmora {

// Reads a Windows bitmap file held in memory. Throws PictureError naming what is wrong.
// The result remembers the file's bits per pixel.
Bitmap DecodeBmp(std::span<const std::uint8_t> file);

// The 24-bit, bottom-up bitmap file of `bitmap` (BITMAPINFOHEADER, no compression).
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

// Writes EncodeBmp24(bitmap) to `path`, replacing the file whole or not at all. Throws
// FileWriteError on failure.
void WriteBmpFile(const std::filesystem::path& path, const Bitmap& bitmap);

} // namespace velmora
