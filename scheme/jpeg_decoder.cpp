#include "jpeg_decoder.h"

#include "picture_error.h"

namespace velmora {

Bitmap DecodeJpeg(std::span<const std::uint8_t>)
{
    throw PictureError("JPEG decoding is not built yet");
}

} // namespace velmora
