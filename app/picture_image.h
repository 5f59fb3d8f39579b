#pragma once

#include "scheme/bitmap.h"

#include <QImage>

namespace velmora {

// The bitmap as a Qt image of the same size, for showing it on screen.
QImage ToQImage(const Bitmap& bitmap);

} // namespace velmora
