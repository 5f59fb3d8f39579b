#include "source_picture.h"

#include "picture/picture_loader.h"

#include <exception>

namespace velmora {

Bitmap RecordedSourcePicture(const SchemeDocument& document, const std::filesystem::path& schemeFile)
{
    if (document.pictureName.empty())
        return {};
    const std::filesystem::path recorded(document.pictureName);
    for (const std::filesystem::path& candidate : {recorded, schemeFile.parent_path() / recorded.filename()}) {
        try {
            return WorkingPicture(LoadPicture(candidate), document.request);
        } catch (const std::exception&) {
            // Not this one: moved, removed, damaged, or no picture at all.
        }
    }
    return {};
}

} // namespace velmora
