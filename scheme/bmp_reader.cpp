#include "bmp_codec.h"

#include "picture_error.h"

namespace velmora {

Bitmap DecodeBmp(std::span<const std::uint8_t>)
{
    throw PictureError("bitmap reading is not built yet");
}

} // namespace velmora
