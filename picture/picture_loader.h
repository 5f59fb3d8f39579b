#pragma once

#include "bitmap.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace velmora {

// The kinds of picture LoadPicture reads, in words for messages and help texts.
inline constexpr const char* kPictureKindsRead = "Windows bitmap, JPEG, PNG, WebP, GIF, TIFF or HEIC/HEIF";

// Loads a source picture, choosing the decoder by the file's first bytes, whatever its name:
// a Windows bitmap, JPEG (turned upright as its EXIF block says), PNG, WebP, GIF, TIFF or
// HEIC/HEIF. Content of any other kind, a missing or unreadable file and damaged data throw
// PictureError.
Bitmap LoadPicture(const std::filesystem::path& path);

} // namespace velmora
