// libFuzzer target for the WebP decoder (libwebp): any input must give a picture or a PictureError, never
// a crash, a sanitizer report, a hang or a huge allocation.
#include "picture/picture_decoders.h"
#include "picture/picture_error.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const velmora::Bitmap picture = velmora::DecodeWebp(std::span(data, size));
        // Every decoded picture is 24-bit and no pixel has bits above blue.
        if (picture.empty() || picture.sourceBitsPerPixel() != 24 ||
            std::ranges::any_of(picture.pixels(), [](velmora::Color c) { return c > 0xFFFFFFu; }))
            __builtin_trap();
    } catch (const velmora::PictureError&) {
        // A refused file is a good answer.
    }
    return 0;
}
