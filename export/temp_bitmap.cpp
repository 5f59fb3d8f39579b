#include "temp_bitmap.h"

#include "export_error.h"
#include "scheme/bmp_codec.h"

#include <string>
#include <system_error>

namespace velmora {

namespace fs = std::filesystem;

fs::path ExecutableFolder()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

namespace {

// The user's temporary folder, or an empty path with the reason when there is none.
fs::path UserTemporaryFolder(std::string& reason)
{
    std::error_code error;
    fs::path folder = fs::temp_directory_path(error);
    if (error) {
        reason = error.message();
        return {};
    }
    return folder;
}

} // namespace

fs::path WriteTemporaryBitmap(const Bitmap& picture, const fs::path& preferredFolder)
{
    std::string firstReason = "the program's folder is unknown";
    const fs::path first = preferredFolder.empty() ? fs::path() : preferredFolder / kTemporaryBitmapName;
    if (!first.empty()) {
        try {
            WriteBmpFile(first, picture);
            return first;
        } catch (const std::exception& e) {
            firstReason = e.what();
        }
    }

    std::string secondReason;
    const fs::path folder = UserTemporaryFolder(secondReason);
    const fs::path second = folder.empty() ? fs::path() : folder / kTemporaryBitmapName;
    if (!second.empty()) {
        try {
            WriteBmpFile(second, picture);
            return second;
        } catch (const std::exception& e) {
            secondReason = e.what();
        }
    }

    std::string message = "Cannot write the picture file ";
    message += first.empty() ? std::string(kTemporaryBitmapName) : first.string();
    message += " (" + firstReason + ")";
    message += second.empty() ? ", and there is no temporary folder (" + secondReason + ")"
                              : ", nor " + second.string() + " (" + secondReason + ")";
    throw ExportError(message);
}

} // namespace velmora
