#pragma once

// The largest chart a user can ask for: 1000 × 1000 stitches of 100 threads, mapped with error
// diffusion from the corpus meadow photo, so that neighbouring stitches differ as they do in a
// real scheme. Built once per benchmark program.
#include "picture/picture_loader.h"
#include "scheme/request_limits.h"
#include "scheme/scheme_builder.h"

#include <filesystem>
#include <utility>

namespace velmora {

inline const SchemeDocument& LargestScheme()
{
    static const SchemeDocument scheme = [] {
        const Bitmap photo =
            LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "large-greenmeadow-1280x1024.jpg");
        SchemeChoices choices{kMaxStitches, kMaxStitches, kMaxColors, {}, true};
        return SchemeEngine().BuildScheme(photo, MakeSchemeRequest(photo, std::move(choices)));
    }();
    return scheme;
}

} // namespace velmora
