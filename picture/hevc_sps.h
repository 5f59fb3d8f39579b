#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

// The picture an HEVC sequence parameter set declares. The decoder allocates and decodes the coded
// size; the conformance window crops it to the size it shows (encoders code whole blocks of 8 or
// more pixels, so a 70 × 46 picture is coded as 72 × 48 and cropped).
struct HevcPictureSize {
    std::uint32_t codedWidth = 0; // pic_width_in_luma_samples
    std::uint32_t codedHeight = 0;
    std::uint32_t shownWidth = 0; // within the conformance window
    std::uint32_t shownHeight = 0;
};

// Reads the picture size from a sequence parameter set NAL unit: its two-byte header first, the
// payload as it is stored (with its emulation prevention bytes). Empty when `nal` is no sequence
// parameter set, or one cut short or malformed where libde265 refuses it too.
std::optional<HevcPictureSize> ReadHevcSpsPictureSize(std::span<const std::uint8_t> nal);

} // namespace velmora
