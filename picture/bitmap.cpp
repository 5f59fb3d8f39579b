#include "bitmap.h"

#include "picture_error.h"

#include <string>

namespace velmora {

void CheckPictureSize(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0)
        throw PictureError("the picture has no pixels (" + std::to_string(width) + " × " + std::to_string(height) + ")");
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        throw PictureError("the picture is too large (" + std::to_string(width) + " × " + std::to_string(height) +
                           " pixels; at most " + std::to_string(kMaxPictureSide) + " pixels a side and " +
                           std::to_string(kMaxPicturePixels) + " pixels in all)",
                           PictureFault::TooLarge);
}

Bitmap::Bitmap(int width, int height, Color fill) : width_(width), height_(height)
{
    CheckPictureSize(width, height);
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

Bitmap::Bitmap(int width, int height, Unfilled) : width_(width), height_(height)
{
    CheckPictureSize(width, height);
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

} // namespace velmora
