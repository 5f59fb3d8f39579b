#pragma once

// What the decoders of picture_decoders.h share: the conversion of their libraries' pixels to the
// program's 24-bit colours, and the weighing of a declared picture before it is allocated.

#include "bitmap.h"
#include "color.h"
#include "picture_budget.h"
#include "picture_error.h"

#include <cstdint>
#include <string>

namespace velmora::decoded {

// A sample of 16 bits brought to 8 by rounding to the nearest.
constexpr int To8Bits(std::uint32_t sample16)
{
    return static_cast<int>((std::uint64_t{sample16} * 255 + 32767) / 65535);
}

// One 8-bit sample of a pixel with coverage `alpha` (0 transparent .. 255 opaque) laid on white,
// the bare cloth.
constexpr int OnWhite(int sample, int alpha)
{
    return (sample * alpha + 255 * (255 - alpha) + 127) / 255;
}

constexpr Color OnWhite(int r, int g, int b, int alpha)
{
    return MakeColor(OnWhite(r, alpha), OnWhite(g, alpha), OnWhite(b, alpha));
}

// A 16-bit sample laid on white at 16 bits, then rounded to 8.
constexpr int OnWhite16(std::uint32_t sample, std::uint32_t alpha)
{
    const std::uint64_t blended =
        (std::uint64_t{sample} * alpha + std::uint64_t{65535} * (65535 - alpha) + 32767) / 65535;
    return To8Bits(static_cast<std::uint32_t>(blended));
}

// A sample premultiplied by its alpha (as libtiff gives them) laid on white.
constexpr int PremultipliedOnWhite(int sample, int alpha)
{
    const int value = sample + 255 - alpha;
    return value > 255 ? 255 : value;
}

// Throws PictureError unless a `width` × `height` picture is within the picture limits and the
// `fileBytes` of the file pay for decoding it, at `bytesPerPixel` of working memory besides the
// 4 bytes a pixel of the result.
inline void CheckDeclaredPicture(const char* kind, std::int64_t width, std::int64_t height,
                                 std::uint64_t bytesPerPixel, std::uint64_t fileBytes)
{
    CheckPictureSize(width, height);
    const std::uint64_t memory = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) *
                                 (4 + bytesPerPixel);
    if (!CodedDataSuffices(memory, fileBytes))
        throw PictureError(std::string("the ") + kind + " file is too short for a " + std::to_string(width) + " × " +
                               std::to_string(height) + " picture (" + std::to_string(fileBytes) + " bytes for " +
                               std::to_string(memory >> 20) + " MiB of decoding)",
                           PictureFault::TooLarge);
}

} // namespace velmora::decoded
