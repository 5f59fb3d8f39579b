#pragma once

#include "picture/bitmap.h"
#include "files/output_file.h"

#include <filesystem>

namespace velmora {

// Writes `picture` as a Windows bitmap into a private file of its own for the workbook library to
// embed: a unique name in `folder` (the user's temporary folder when empty), created exclusively
// and readable only by this user, so that runs at once and other users cannot mix their pictures
// or block one another. The file is complete and closed; keep the result until the workbook is
// closed, which is when the library reads it, and the file goes with it. Throws FileWriteError.
OutputFile WriteTemporaryBitmap(const Bitmap& picture, const std::filesystem::path& folder = {});

} // namespace velmora
