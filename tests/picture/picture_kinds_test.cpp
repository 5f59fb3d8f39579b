// PNG, WebP, GIF, TIFF and HEIF pictures and EXIF-turned JPEG photos, read through the real loader
// from the files of tests/corpus/kinds (made by tests/data/make-picture-kinds.py).
#include "picture/exif_orientation.h"
#include "picture/picture_error.h"
#include "picture/picture_kind.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path Corpus(const std::string& relative) { return fs::path(VELMORA_CORPUS_DIR) / relative; }

SchemeRequest Request(const Bitmap& picture, int colours)
{
    SchemeRequest request{picture.width(), picture.height(), colours, {}, false};
    for (int i = 0; i < colours; ++i)
        request.symbols.push_back(std::string(1, static_cast<char>(48 + i)));
    return request;
}

// A lossless file of each kind gives the very pixels of the same picture as a 24-bit bitmap,
// and so the same chart and legend; transparency comes out laid on white.
TEST(PictureKinds, LosslessFilesGiveTheSchemeOfTheSamePixelsAsABitmap)
{
    const std::string rose = "photos/small-rose-70x46.bmp";
    const std::string rose64 = "kinds/ref-rose-64colours-70x46.bmp";
    const std::string grey = "kinds/ref-rose-grey-70x46.bmp";
    const std::string onWhite = "kinds/ref-rose-vignette-on-white-70x46.bmp";
    struct Case {
        std::string file, bitmap;
    };
    const Case cases[] = {
        {"kinds/png-rgb8-rose-70x46.png", rose},
        {"kinds/png-rgb16-rose-70x46.png", rose},
        {"kinds/png-rgb8-interlaced-rose-70x46.png", rose},
        {"kinds/png-palette8-rose-64colours-70x46.png", rose64},
        {"kinds/png-grey8-rose-70x46.png", grey},
        {"kinds/png-grey16-rose-70x46.png", grey},
        {"kinds/png-grey1-rose-bilevel-70x46.png", "kinds/ref-rose-bilevel-70x46.bmp"},
        {"kinds/png-rgba8-rose-vignette-70x46.png", onWhite},
        {"kinds/png-rgba16-rose-vignette-70x46.png", onWhite},
        {"kinds/webp-lossless-rose-70x46.webp", rose},
        {"kinds/webp-lossless-alpha-rose-vignette-70x46.webp", onWhite},
        {"kinds/webp-animated-rose-70x46.webp", rose},
        {"kinds/webp-named-jpg-rose-70x46.jpg", rose},
        {"kinds/gif-rose-64colours-70x46.gif", rose64},
        {"kinds/gif-interlaced-rose-64colours-70x46.gif", rose64},
        {"kinds/gif-animated-rose-64colours-70x46.gif", rose64},
        {"kinds/tiff-strips-rgb8-lzw-rose-70x46.tif", rose},
        {"kinds/tiff-tiles-rgb8-deflate-rose-70x46.tif", rose},
        {"kinds/tiff-strips-rgb16-rose-70x46.tif", rose},
        {"kinds/tiff-grey8-rose-70x46.tif", grey},
        {"kinds/tiff-rgba8-rose-vignette-70x46.tif", onWhite},
        {"kinds/tiff-two-pages-rose-70x46.tif", rose},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bitmap picture = LoadPicture(Corpus(c.file));
        const Bitmap bitmap = LoadPicture(Corpus(c.bitmap));
        ASSERT_EQ(bitmap.sourceBitsPerPixel(), 24);
        EXPECT_EQ(picture, bitmap);

        SchemeEngine fromPicture, fromBitmap;
        const SchemeDocument scheme = fromPicture.BuildScheme(picture, Request(picture, 12));
        const SchemeDocument expected = fromBitmap.BuildScheme(bitmap, Request(bitmap, 12));
        EXPECT_TRUE(scheme.chart == expected.chart);
        EXPECT_TRUE(scheme.legend == expected.legend);
    }
}

// Lossy files give their own pixels; they load at their size and make schemes.
TEST(PictureKinds, LossyPhotosBuildSchemes)
{
    struct Case {
        const char* file;
        int width, height;
    };
    for (const Case c : {Case{"kinds/webp-lossy-rose-70x46.webp", 70, 46}, Case{"kinds/heic-rose-70x46.heic", 70, 46},
                         Case{"kinds/heic-cat-451x300.heic", 451, 300},
                         Case{"kinds/tiff-jpeg-strips-rose-70x46.tif", 70, 46}}) {
        SCOPED_TRACE(c.file);
        const Bitmap picture = LoadPicture(Corpus(c.file));
        ASSERT_EQ(picture.width(), c.width);
        ASSERT_EQ(picture.height(), c.height);
        SchemeEngine engine;
        const SchemeDocument scheme = engine.BuildScheme(picture, Request(picture, 20));
        EXPECT_EQ(scheme.picture.width(), c.width);
        // Not a blank: a photo keeps many colours.
        EXPECT_GT(scheme.legend.rows(), 10);
    }
}

// A HEIC photo marked as turned comes out turned: the same coded picture as heic-rose, with a
// quarter turn anticlockwise on its primary image.
TEST(PictureKinds, HeicIsTurnedAsItsFileSays)
{
    const Bitmap stored = LoadPicture(Corpus("kinds/heic-rose-70x46.heic"));
    const Bitmap turned = LoadPicture(Corpus("kinds/heic-irot-quarter-anticlockwise-rose-46x70.heic"));
    ASSERT_EQ(turned.width(), 46);
    ASSERT_EQ(turned.height(), 70);
    // EXIF's orientation 8 is the same quarter turn anticlockwise.
    EXPECT_EQ(turned, TurnUpright(stored, 8));
}

bool Near(Color a, Color b)
{
    return std::abs(Red(a) - Red(b)) <= 16 && std::abs(Green(a) - Green(b)) <= 16 && std::abs(Blue(a) - Blue(b)) <= 16;
}

// Each file stores the upright 48 × 32 picture of four coloured quarters turned or mirrored,
// with the EXIF orientation that sets it upright again.
TEST(PictureKinds, JpegIsTurnedUprightForEveryExifOrientation)
{
    const Bitmap upright = LoadPicture(Corpus("kinds/ref-quarters-upright-48x32.bmp"));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE("orientation " + std::to_string(orientation));
        const Bitmap picture =
            LoadPicture(Corpus("kinds/jpg-exif-orientation" + std::to_string(orientation) + "-quarters-48x32.jpg"));
        ASSERT_EQ(picture.width(), 48);
        ASSERT_EQ(picture.height(), 32);
        EXPECT_EQ(picture.sourceBitsPerPixel(), 24);
        // The middle of each quarter, away from JPEG's ringing at the edges between them.
        for (const auto& [x, y] : {std::pair{12, 8}, {36, 8}, {12, 24}, {36, 24}})
            EXPECT_TRUE(Near(picture.pixel(x, y), upright.pixel(x, y)))
                << "at " << x << ", " << y << ": " << std::hex << picture.pixel(x, y) << " instead of "
                << upright.pixel(x, y);
    }
}

// A JPEG start whose one APP1 segment holds `body`, then the start of a scan.
std::vector<std::uint8_t> JpegWithApp1(const std::string& body, std::size_t declaredLength = 0)
{
    const std::size_t length = declaredLength != 0 ? declaredLength : body.size() + 2;
    std::string bytes("\xFF\xD8\xFF\xE1", 4);
    bytes += static_cast<char>(length >> 8);
    bytes += static_cast<char>(length & 0xFF);
    bytes += body + std::string("\xFF\xDA", 2);
    return {bytes.begin(), bytes.end()};
}

// An EXIF block whose first directory has `entries` entries, the first of them the orientation.
std::string ExifBlock(bool bigEndian, std::uint16_t type, std::uint32_t count, std::uint16_t value,
                      std::uint32_t directoryAt = 8, std::uint16_t entries = 1)
{
    const auto u16 = [&](std::uint32_t v) {
        return bigEndian ? std::string{static_cast<char>(v >> 8), static_cast<char>(v)}
                         : std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
    };
    const auto u32 = [&](std::uint32_t v) { return bigEndian ? u16(v >> 16) + u16(v) : u16(v) + u16(v >> 16); };
    std::string tiff = (bigEndian ? std::string("MM\0*", 4) : std::string("II*\0", 4)) + u32(directoryAt);
    tiff += u16(entries) + u16(0x0112) + u16(type) + u32(count) + u16(value) + u16(0) + u32(0);
    return std::string("Exif\0\0", 6) + tiff;
}

// The EXIF block is read with every offset checked; a damaged or odd one means "as stored".
TEST(PictureKinds, ExifOrientationIsReadSafely)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> jpeg;
        int orientation;
    };
    const std::string good = ExifBlock(true, 3, 1, 6);
    const Case cases[] = {
        {"big-endian", JpegWithApp1(good), 6},
        {"little-endian", JpegWithApp1(ExifBlock(false, 3, 1, 3)), 3},
        {"no EXIF block", JpegWithApp1("JFIF"), 1},
        {"orientation 9", JpegWithApp1(ExifBlock(true, 3, 1, 9)), 1},
        {"orientation 0", JpegWithApp1(ExifBlock(true, 3, 1, 0)), 1},
        {"stored as a long", JpegWithApp1(ExifBlock(true, 4, 1, 6)), 1},
        {"two values", JpegWithApp1(ExifBlock(true, 3, 2, 6)), 1},
        {"directory beyond the block", JpegWithApp1(ExifBlock(true, 3, 1, 6, 0xFFFFFFF0u)), 1},
        {"more entries than the block holds", JpegWithApp1(ExifBlock(true, 3, 1, 7, 8, 0xFFFF) + "\x01\x12"), 7},
        {"block cut inside the entry", JpegWithApp1(good.substr(0, good.size() - 10)), 1},
        {"segment longer than the file", JpegWithApp1(good, 0xFFFF), 1},
        {"segment length below 2", JpegWithApp1(good, 1), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JpegExifOrientation(c.jpeg), c.orientation);
        // Cut short anywhere, the file still gives an orientation and reads nothing beyond its end.
        for (std::size_t size = 0; size < c.jpeg.size(); ++size) {
            const std::vector<std::uint8_t> cut(c.jpeg.begin(), c.jpeg.begin() + static_cast<std::ptrdiff_t>(size));
            const int orientation = JpegExifOrientation(cut);
            EXPECT_TRUE(orientation >= 1 && orientation <= 8);
        }
    }
}

// The reason a load fails, for the window to say in its own words. Files whose decoding would cost
// far more than their size are refused from what their headers and coded streams say, before
// libheif or libjpeg decode a pixel, and the message names what was weighed.
TEST(PictureKinds, RefusalsNameTheirFault)
{
    struct Case {
        std::string file;
        PictureFault fault;
        std::string reason = {}; // a part of the message
    };
    const Case cases[] = {
        {"broken/nothing-here.png", PictureFault::NoFile},
        {"kinds", PictureFault::NotAFile},
        {"broken/jpg-holds-text.jpg", PictureFault::UnknownKind},
        {"broken/bmp-empty-file.bmp", PictureFault::UnknownKind},
        {"broken/png-60000x60000-no-data.png", PictureFault::TooLarge},
        {"broken/png-16384x16384-few-bytes.png", PictureFault::TooLarge},
        {"broken/heic-grid-255x255-tiles-of-rose.heic", PictureFault::TooLarge},
        {"broken/heic-ispe-60000x60000-rose.heic", PictureFault::TooLarge},
        {"broken/heic-grid-40x40-tiles-for-70x46.heic", PictureFault::TooLarge},
        {"broken/heic-grid-canvas-8552x25708-of-one-tile.heic", PictureFault::TooLarge},
        {"broken/gif-screen-65535x65535-rose.gif", PictureFault::TooLarge},
        {"broken/png-bad-crc-idat-rose.png", PictureFault::Damaged},
        {"broken/webp-truncated-half-rose.webp", PictureFault::Damaged},
        {"broken/tiff-garbled-lzw-strips-rose.tif", PictureFault::Damaged},
        {"broken/heic-grid-tiles-declared-16x16-coded-4096x4096.heic", PictureFault::Damaged,
         "its image 2 is declared as 16 × 16 pixels but its HEVC data codes 4096 × 4096"},
        {"broken/heic-ispe-64x64-coded-8192x8192.heic", PictureFault::Damaged,
         "its image 1 is declared as 64 × 64 pixels but its HEVC data codes 8192 × 8192"},
        {"broken/heic-sps-in-data-4096x4096-behind-hvcc-64x64.heic", PictureFault::Damaged,
         "its image 1 is declared as 64 × 64 pixels but its HEVC data codes 4096 × 4096"},
        {"broken/heic-alpha-declared-64x64-coded-8192x8192.heic", PictureFault::Damaged,
         "its image 2 is declared as 64 × 64 pixels but its HEVC data codes 8192 × 8192"},
        {"broken/heic-iden-64x64-of-4096x4096.heic", PictureFault::TooLarge,
         "the HEIF file is too short for a 4096 × 4096 picture"},
        {"broken/heic-iden-of-item-that-is-no-image.heic", PictureFault::Damaged,
         "its image 1 is derived from item 2, which is no image"},
        {"broken/heic-iden-reference-box-beyond-its-parent.heic", PictureFault::Damaged,
         "its image 1 is derived from item 2, which is no image"},
        {"broken/heic-iden-reference-box-shorter-than-its-ids.heic", PictureFault::Damaged,
         "its image 1 is derived from item 2, which is no image"},
        {"broken/heic-grid-naming-itself.heic", PictureFault::TooLarge, "is derived from more than 4096 images"},
        {"broken/tiff-jpeg-arithmetic-empty-refinements-3344x3344.tif", PictureFault::Unsupported,
         "its JPEG data (strip 1) is progressive and arithmetic-coded"},
        {"broken/tiff-jpeg-progressive-cat-451x300.tif", PictureFault::Unsupported,
         "its JPEG data (strip 1) is progressive"},
        {"broken/tiff-jpeg-sequential-90-scans-rose-70x46.tif", PictureFault::Damaged,
         "its JPEG data (strip 1) has 90 scans for a frame of 1 component"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            LoadPicture(Corpus(c.file));
            ADD_FAILURE() << "loaded";
        } catch (const PictureError& e) {
            EXPECT_EQ(e.fault(), c.fault) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(PictureKinds, SignaturesTellTheKinds)
{
    struct Case {
        std::string start;
        PictureKind kind;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"BM\x36\0\0\0"s, PictureKind::Bmp},
        {"\xFF\xD8\xFF\xE0"s, PictureKind::Jpeg},
        {"\x89PNG\r\n\x1A\n"s, PictureKind::Png},
        {"RIFF\x10\0\0\0WEBPVP8L"s, PictureKind::Webp},
        {"RIFF\x10\0\0\0WAVEfmt "s, PictureKind::Unknown},
        {"GIF89a"s, PictureKind::Gif},
        {"GIF87a"s, PictureKind::Gif},
        {"II*\0"s, PictureKind::Tiff},
        {"MM\0*"s, PictureKind::Tiff},
        {"\0\0\0\x18" "ftypheic"s, PictureKind::Heif},
        {"\0\0\0\x18" "ftypmif1"s, PictureKind::Heif},
        {"\0\0\0\x18" "ftypisom"s, PictureKind::Unknown}, // an MP4 video
        {"\x89PNG"s, PictureKind::Unknown},                // too short to be sure
        {""s, PictureKind::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        const std::vector<std::uint8_t> bytes(c.start.begin(), c.start.end());
        EXPECT_EQ(SniffPictureKind(bytes), c.kind);
    }
}

} // namespace
} // namespace velmora
