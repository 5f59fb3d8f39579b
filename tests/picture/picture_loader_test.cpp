#include "picture/picture_loader.h"

#include "picture/bmp_codec.h"
#include "picture/picture_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class PictureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("velmora-loader-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    fs::path folder_;
};

Bitmap Sample()
{
    Bitmap b(3, 2);
    b.setPixel(0, 0, 0x0000FF);
    b.setPixel(2, 1, 0x123456);
    return b;
}

// The first bytes choose the decoder; the name may say anything.
TEST_F(PictureLoaderTest, ChoosesTheDecoderByContentWhateverTheName)
{
    const auto bytes = EncodeBmp24(Sample());
    for (const char* name : {"a.bmp", "b.BMP", "bitmap.jpg", "bitmap.jpeg", "bitmap.png", "bitmap"}) {
        SCOPED_TRACE(name);
        const Bitmap loaded = LoadPicture(Write(name, bytes));
        EXPECT_EQ(loaded.width(), 3);
        EXPECT_EQ(loaded.pixel(2, 1), 0x123456u);
    }
}

TEST_F(PictureLoaderTest, RefusesWhatItCannotRead)
{
    const auto bmp = EncodeBmp24(Sample());
    struct Case {
        const char* name;
        fs::path path;
    };
    const Case cases[] = {
        {"text named .bmp", Write("text.bmp", {'h', 'e', 'l', 'l', 'o'})},
        {"damaged bitmap", Write("short.bmp", std::vector<std::uint8_t>(bmp.begin(), bmp.begin() + 20))},
        {"missing file", folder_ / "nothing.bmp"},
        {"folder", folder_},
        {"empty file", Write("empty.bmp", {})},
    };
    fs::create_directories(folder_ / "dir.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(LoadPicture(c.path), PictureError);
    }
    EXPECT_THROW(LoadPicture(folder_ / "dir.bmp"), PictureError);
}

// A large file that is no picture is refused from its first bytes, not after reading it all.
TEST_F(PictureLoaderTest, RefusesALargeFileOfSomethingElseFromItsStart)
{
    struct Case {
        const char* name;
        const char* message;
    };
    for (const Case c : {Case{"zeros.bmp", "holds no picture of a kind velmora reads"},
                         Case{"zeros.jpg", "holds no picture of a kind velmora reads"}}) {
        SCOPED_TRACE(c.name);
        const fs::path path = Write(c.name, {});
        fs::resize_file(path, std::uintmax_t{1} << 30); // sparse: takes no room on disk
        try {
            LoadPicture(path);
            ADD_FAILURE() << "loaded";
        } catch (const PictureError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST_F(PictureLoaderTest, MissingFileIsNamedInTheError)
{
    try {
        LoadPicture(folder_ / "gone.jpg");
        FAIL();
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("gone.jpg"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace velmora
