#pragma once

#include "scheme/bitmap.h"

#include <filesystem>

namespace velmora {

// The name of the picture file the workbook embeds; every export overwrites it and leaves it.
inline constexpr char kTemporaryBitmapName[] = "tmp.bmp";

// The folder of the running program's executable file; empty when the system does not say.
std::filesystem::path ExecutableFolder();

// Writes `picture` as a Windows bitmap named "tmp.bmp" into `preferredFolder`, or, when that
// folder cannot take it (an installed program's folder usually cannot), into the user's temporary
// folder. Returns the file written. Throws ExportError naming the file only when neither works.
std::filesystem::path WriteTemporaryBitmap(const Bitmap& picture, const std::filesystem::path& preferredFolder);

} // namespace velmora
