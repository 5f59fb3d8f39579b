#include "picture_image.h"

namespace velmora {

QImage ToQImage(const Bitmap& bitmap)
{
    if (bitmap.empty())
        return {};
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (const Color c : bitmap.row(y))
            *line++ = qRgb(Red(c), Green(c), Blue(c));
    }
    return image;
}

} // namespace velmora
