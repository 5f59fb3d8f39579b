#pragma once

#include "picture/bitmap.h"
#include "scheme_builder.h"

#include <filesystem>

namespace velmora {

// The source picture a scheme file records, as its build sampled it (WorkingPicture at the chart's
// size), when the picture is still at hand: under the name recorded (a relative one taken from the
// working folder), else under its last part in the scheme file's folder. Empty when the scheme
// records no name or no such file loads; a file found is read with the limits of every picture.
Bitmap RecordedSourcePicture(const SchemeDocument& document, const std::filesystem::path& schemeFile);

} // namespace velmora
