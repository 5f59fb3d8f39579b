#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora {

// The kinds of picture file the program reads, told apart by their first bytes: a file's name
// may lie (browsers save WebP pictures under ".jpg" names), its signature does not.
enum class PictureKind { Unknown, Bmp, Jpeg, Png, Webp, Gif, Tiff, Heif };

// How many of a file's first bytes SniffPictureKind needs to tell every kind; fewer will do for a
// shorter file.
constexpr std::size_t kPictureSignatureBytes = 12;

PictureKind SniffPictureKind(std::span<const std::uint8_t> start);

// The kind's usual name, for messages: "PNG", "WebP", "HEIF".
const char* PictureKindName(PictureKind kind);

} // namespace velmora
