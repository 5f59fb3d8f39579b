#include "scheme/source_picture.h"

#include "picture/picture_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// The picture a scheme file names is found as named or beside the scheme file, and anything
// that does not load is no source at all.
TEST(RecordedSourcePicture, FoundAsNamedOrBesideTheSchemeFile)
{
    const fs::path folder = fs::temp_directory_path() / "velmora-source-picture";
    fs::remove_all(folder);
    fs::create_directories(folder / "moved");
    const fs::path photo = fs::path(VELMORA_CORPUS_DIR) / "photos" / "photo-astronaut-512x512.bmp";
    fs::copy_file(photo, folder / "moved" / "astronaut.bmp");
    std::ofstream(folder / "moved" / "text.bmp") << "not a picture";

    SchemeDocument document;
    document.request.width = 30;
    document.request.height = 20;
    const Bitmap expected = WorkingPicture(LoadPicture(photo), 30, 20);

    const struct {
        const char* name;
        std::string recorded;
        bool found;
    } cases[] = {
        {"as named", photo.string(), true},
        {"moved beside the scheme file", (folder / "gone" / "astronaut.bmp").string(), true},
        {"nowhere", (folder / "gone" / "nowhere.bmp").string(), false},
        {"no picture", (folder / "moved" / "text.bmp").string(), false},
        {"a folder", folder.string(), false},
        {"no name recorded", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        document.pictureName = c.recorded;
        const Bitmap source = RecordedSourcePicture(document, folder / "moved" / "scheme.velmora");
        if (c.found)
            EXPECT_EQ(source, expected);
        else
            EXPECT_TRUE(source.empty());
    }
    fs::remove_all(folder);
}

} // namespace
} // namespace velmora
