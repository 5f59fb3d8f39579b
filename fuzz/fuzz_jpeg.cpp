// libFuzzer target for the JPEG decoder: any input must give a picture or a PictureError, never a
// crash, a sanitizer report, a hang or a huge allocation.
#include "picture/exif_orientation.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_error.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        // As the loader does: decoded, then turned upright as the EXIF block says.
        const velmora::Bitmap picture = velmora::TurnUpright(velmora::DecodeJpeg(std::span(data, size)),
                                                             velmora::JpegExifOrientation(std::span(data, size)));
        // Every decoded picture is 24-bit and no pixel has bits above blue.
        if (picture.empty() || picture.sourceBitsPerPixel() != 24 ||
            std::ranges::any_of(picture.pixels(), [](velmora::Color c) { return c > 0xFFFFFFu; }))
            __builtin_trap();
    } catch (const velmora::PictureError&) {
        // A refused file is a good answer.
    }
    return 0;
}
