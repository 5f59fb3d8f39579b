#include "picture/jpeg_decoder.h"

#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "tests/file_helpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

Bytes Corpus(const std::string& path)
{
    return ReadFileBytes(std::string(VELMORA_CORPUS_DIR) + "/" + path);
}

// 64-bit FNV-1a of the picture as R, G, B bytes, top row first: the digest make-jpeg-digests.sh
// computes from djpeg's output.
std::uint64_t RgbDigest(const Bitmap& picture)
{
    std::uint64_t digest = 0xCBF29CE484222325u;
    for (const Color c : picture.pixels()) {
        for (const int channel : {Red(c), Green(c), Blue(c)}) {
            digest ^= static_cast<std::uint64_t>(channel);
            digest *= 0x100000001B3u;
        }
    }
    return digest;
}

std::string DecodeError(const Bytes& file)
{
    try {
        DecodeJpeg(file);
    } catch (const PictureError& e) {
        return e.what();
    }
    return "(decoded without an error)";
}

// Offset of the first marker FF `code` in the file's header segments (before the first scan).
std::size_t FindMarker(const Bytes& file, std::uint8_t code)
{
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        if (file[at + 1] == code)
            return at;
        at += 2 + (std::size_t{file[at + 2]} << 8 | file[at + 3]);
    }
    ADD_FAILURE() << "no marker FF " << std::hex << int{code};
    return 0;
}

// The file with the frame header (SOF marker `sof`) claiming width × height.
Bytes WithSize(Bytes file, std::uint8_t sof, int width, int height)
{
    const std::size_t at = FindMarker(file, sof);
    file[at + 5] = static_cast<std::uint8_t>(height >> 8);
    file[at + 6] = static_cast<std::uint8_t>(height);
    file[at + 7] = static_cast<std::uint8_t>(width >> 8);
    file[at + 8] = static_cast<std::uint8_t>(width);
    return file;
}

TEST(JpegDecoder, DecodesEveryCorpusPictureExactlyAsDjpeg)
{
    std::ifstream digests(VELMORA_TEST_DATA_DIR "/jpeg-digests.tsv");
    ASSERT_TRUE(digests) << "tests/data/jpeg-digests.tsv is missing";
    int checked = 0;
    std::string line;
    while (std::getline(digests, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string path, digest;
        int width = 0, height = 0;
        fields >> path >> width >> height >> digest;
        SCOPED_TRACE(path);

        const Bitmap picture = DecodeJpeg(Corpus(path));
        EXPECT_EQ(picture.width(), width);
        EXPECT_EQ(picture.height(), height);
        EXPECT_EQ(picture.sourceBitsPerPixel(), 24);
        EXPECT_EQ(RgbDigest(picture), std::strtoull(digest.c_str(), nullptr, 16));
        ++checked;
    }
    EXPECT_GE(checked, 27);
}

TEST(JpegDecoder, GreyPicturesComeOutAsGreyRgb)
{
    const Bitmap picture = DecodeJpeg(Corpus("jpeg/jpg-gray-moon-512x512.jpg"));
    for (const Color c : picture.pixels()) {
        ASSERT_EQ(Red(c), Green(c));
        ASSERT_EQ(Red(c), Blue(c));
    }
}

// Adobe CMYK (here YCCK) is stored inverted; read as plain CMYK the red rose would come out cyan.
// Reference colours from ImageMagick: convert <file> -colorspace sRGB -crop 1x1+X+Y txt:-
TEST(JpegDecoder, ConvertsAdobeCmykLikeImageMagick)
{
    const Bitmap picture = DecodeJpeg(Corpus("jpeg/jpg-cmyk-adobe-ycck-rose-70x46.jpg"));
    ASSERT_EQ(picture.width(), 70);
    ASSERT_EQ(picture.height(), 46);
    struct Sample {
        int x, y;
        int r, g, b;
    };
    for (const Sample s : {Sample{0, 0, 47, 47, 45}, Sample{35, 23, 243, 51, 61}, Sample{10, 30, 87, 83, 85},
                           Sample{60, 5, 44, 39, 33}, Sample{20, 10, 68, 66, 45}}) {
        SCOPED_TRACE(testing::Message() << "pixel " << s.x << "," << s.y);
        const Color c = picture.pixel(s.x, s.y);
        EXPECT_NEAR(Red(c), s.r, 2);
        EXPECT_NEAR(Green(c), s.g, 2);
        EXPECT_NEAR(Blue(c), s.b, 2);
    }
}

// Malformed input: every case must be refused with a PictureError whose message says why, most of
// them in libjpeg's own words.
TEST(JpegDecoder, RefusesMalformedFilesWithLibjpegsMessage)
{
    const Bytes cat = Corpus("jpeg/jpg-baseline-420-cat-451x300.jpg");
    const Bytes arithmetic = Corpus("jpeg/jpg-arithmetic-testimgari-227x149.jpg");
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {"empty", {}, "Empty input file"},
        {"a bitmap", Corpus("photos/small-rose-70x46.bmp"), "Not a JPEG file: starts with 0x42 0x4d"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "Not a JPEG file: starts with 0x68 0x65"},
        {"start marker only", Bytes{0xFF, 0xD8}, "Premature end of JPEG file"},
        {"no frame before the end", Bytes{0xFF, 0xD8, 0xFF, 0xD9}, "JPEG datastream contains no image"},
        {"12-bit samples", Corpus("jpeg/jpg-12bit-testorig12-227x149.jpg"), "Unsupported JPEG data precision 12"},
        {"bogus Huffman table", Corpus("broken/jpg-bogus-dht-counts.jpg"), "Bogus Huffman table definition"},
        {"sampling factors 5", Corpus("broken/jpg-bad-sampling-factors.jpg"), "Bogus sampling factors"},
        {"no quantisation tables", Corpus("broken/jpg-missing-dqt.jpg"), "Quantization table 0x00 was not defined"},
        {"width 0", WithSize(cat, 0xC0, 0, 300), "Empty JPEG image (DNL not supported)"},
        {"cut in the middle of the scan", Bytes(cat.begin(), cat.begin() + 14000), "Premature end of JPEG file"},
        // Arithmetic-coded data reads as zeros past its end, so a cut cannot be told from a
        // missing end marker: both are refused.
        {"arithmetic, cut in the middle of the scan", Bytes(arithmetic.begin(), arithmetic.begin() + 3000), "Premature end of JPEG file"},
        {"arithmetic, only the end marker missing", Bytes(arithmetic.begin(), arithmetic.end() - 2), "Premature end of JPEG file"},
        // Larger than any picture we accept: refused from the header, before a pixel is decoded.
        {"65500 x 65500", Corpus("broken/jpg-sof-65500x65500-little-data.jpg"), "too large"},
        // Within the size limit but with far too little data for the declared picture, refused
        // before anything is decoded: Huffman coding needs at least a bit a block, and beyond
        // 64 MiB any file must bring a byte for every 64 bytes its decoding takes.
        {"16384 x 16384 over 28 kB", WithSize(cat, 0xC0, 16384, 16384), "too short for a 16384 × 16384 picture"},
        {"arithmetic 8000 x 8000 over 5 kB", WithSize(arithmetic, 0xC9, 8000, 8000), "too short for a 8000 × 8000 picture"},
        // 4096 × 4096 is 64 MiB of picture, which needs no data; a progressive file needs room for
        // its coefficients as well.
        {"progressive 4096 x 4096 over 44 kB", WithSize(Corpus("jpeg/jpg-progressive-gray-camera-512x512.jpg"), 0xC2, 4096, 4096),
         "too short for a 4096 × 4096 picture (44468 bytes for 96 MiB of decoding)"},
        // The first restart interval swallows the rest of the data, and every later row would be grey.
        {"restart markers removed", Corpus("broken/jpg-restart-markers-missing.jpg"), "Corrupt JPEG data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(DecodeError(c.file), HasSubstr(c.message));
    }
}

// A file that stops early would be filled with grey by libjpeg; we refuse it, at every length.
TEST(JpegDecoder, RefusesEveryTruncationOfAFile)
{
    for (const char* path : {"photos/small-rose-70x46.jpg", "jpeg/jpg-progressive-gray-camera-512x512.jpg",
                             "jpeg/jpg-progressive-custom-scans-cat-451x300.jpg",
                             "jpeg/jpg-arithmetic-testimgari-227x149.jpg"}) {
        const Bytes file = Corpus(path);
        const std::size_t step = file.size() / 200 + 1;
        for (std::size_t length = 0; length < file.size(); length += step) {
            SCOPED_TRACE(testing::Message() << path << " cut to " << length << " bytes");
            EXPECT_THROW(DecodeJpeg(std::span(file).first(length)), PictureError);
        }
    }
}

// Without its two-byte end marker a file still holds all its picture data; libjpeg (and djpeg) give
// the same pixels as for the whole file.
TEST(JpegDecoder, AFileLackingOnlyItsEndMarkerGivesTheWholePicture)
{
    for (const char* path : {"photos/small-rose-70x46.jpg", "jpeg/jpg-baseline-420-cat-451x300.jpg",
                             "jpeg/jpg-restart-every-mcu-row-cat-451x300.jpg", "jpeg/jpg-progressive-420-coffee-600x400.jpg",
                             "jpeg/jpg-progressive-custom-scans-cat-451x300.jpg", "jpeg/jpg-gray-moon-512x512.jpg",
                             "jpeg/jpg-cmyk-adobe-ycck-rose-70x46.jpg"}) {
        SCOPED_TRACE(path);
        const Bytes file = Corpus(path);
        ASSERT_EQ(file[file.size() - 2], 0xFF);
        ASSERT_EQ(file.back(), 0xD9);
        for (const std::size_t cut : {1, 2}) {
            const Bitmap picture = DecodeJpeg(std::span(file).first(file.size() - cut));
            EXPECT_EQ(RgbDigest(picture), RgbDigest(DecodeJpeg(file))) << "without the last " << cut << " bytes";
        }
    }
}

// The file with `marker` (two bytes, or a segment) put into the middle of its first scan's data.
Bytes WithMarkerInScan(const Bytes& file, const Bytes& marker)
{
    const std::size_t sos = FindMarker(file, 0xDA);
    std::size_t at = sos + (file.size() - sos) / 2;
    while (file[at - 1] == 0xFF) // not between FF and its stuffed 00
        ++at;
    Bytes damaged(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at));
    damaged.insert(damaged.end(), marker.begin(), marker.end());
    damaged.insert(damaged.end(), file.begin() + static_cast<std::ptrdiff_t>(at), file.end());
    return damaged;
}

// Damage that libjpeg works around with a warning, filling what it cannot decode with grey, is
// refused in libjpeg's words, whatever marker or code broke the data.
TEST(JpegDecoder, RefusesDataLibjpegReportsCorrupt)
{
    const Bytes cat = Corpus("jpeg/jpg-baseline-420-cat-451x300.jpg");
    const Bytes restarts = Corpus("jpeg/jpg-restart-every-mcu-row-cat-451x300.jpg");
    // One restart interval per 16-row MCU row: 100 bytes of data in the middle of the scan zeroed.
    Bytes zeroed = restarts;
    const std::size_t middle = FindMarker(restarts, 0xDA) + (restarts.size() - FindMarker(restarts, 0xDA)) / 2;
    for (std::size_t i = middle; i < middle + 100; ++i) {
        if (zeroed[i] != 0xFF && zeroed[i - 1] != 0xFF) // leave markers alone
            zeroed[i] = 0;
    }
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"a restart interval zeroed", zeroed},
        // Without a restart interval, libjpeg paints everything after the marker grey.
        {"a restart marker in the data", WithMarkerInScan(cat, {0xFF, 0xD3})},
        {"a comment in the data", WithMarkerInScan(cat, {0xFF, 0xFE, 0x00, 0x04, 'h', 'i'})},
        {"a restart marker out of turn", WithMarkerInScan(restarts, {0xFF, 0xD7})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(DecodeError(c.file), HasSubstr("Corrupt JPEG data"));
    }
}

// Each scan of a progressive file walks over every block of its components, however little data it
// brings, so scans are capped in number, must each send something new, and are priced by what
// their kind costs before the first is decoded.
TEST(JpegDecoder, BoundsTheWorkOfTheScans)
{
    const Bytes file = Corpus("jpeg/jpg-progressive-gray-camera-512x512.jpg");
    // The first scan (the DC scan) runs from its SOS marker to the next marker that is not a
    // stuffed FF 00 or a restart marker.
    const std::size_t sos = FindMarker(file, 0xDA);
    std::size_t end = sos + 2;
    while (!(file[end] == 0xFF && file[end + 1] != 0x00 && (file[end + 1] & 0xF8) != 0xD0))
        ++end;
    const auto withDcScans = [&](int count) {
        Bytes scans(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(end));
        for (int i = 1; i < count; ++i)
            scans.insert(scans.end(), file.begin() + static_cast<std::ptrdiff_t>(sos),
                         file.begin() + static_cast<std::ptrdiff_t>(end));
        scans.insert(scans.end(), {0xFF, 0xD9});
        return scans;
    };
    EXPECT_EQ(DecodeJpeg(withDcScans(1)).width(), 512);
    EXPECT_THAT(DecodeError(withDcScans(1001)), HasSubstr("more than 1000 scans"));
    EXPECT_THAT(DecodeError(withDcScans(2)), HasSubstr("scan 2 sends coefficient 0 of component 0 again"));

    // 570 empty refinement scans that send the last bit of every AC coefficient again: 6 kB that
    // took libjpeg half a minute.
    for (const char* path : {"broken/jpg-slow-570-repeated-refinements-3344x3344.jpg",
                             "broken/jpg-slow-571-repeated-refinements-3344x3344.jpg"})
        EXPECT_THAT(DecodeError(Corpus(path)), HasSubstr("scan 4 sends coefficient 1 of component 0 again")) << path;

    // 640 scans, each new: one coefficient bit by bit. Priced in full at its size, refused over a
    // larger frame.
    const Bytes valid = Corpus("jpeg/jpg-slow-valid-progression-1024x1024.jpg");
    EXPECT_EQ(DecodeJpeg(valid).width(), 1024);
    EXPECT_THAT(DecodeError(WithSize(valid, 0xCA, 2048, 2048)), HasSubstr("would take too long"));
}

} // namespace
} // namespace velmora
