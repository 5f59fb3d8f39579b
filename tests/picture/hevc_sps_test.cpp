// The picture size read from HEVC sequence parameter sets: the one an encoder wrote, and parameter
// sets written here bit by bit to reach the fields that move where the size lies.
#include "picture/hevc_sps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

class BitWriter {
public:
    BitWriter& u(std::uint64_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i)
            bits_.push_back(i < 64 && ((value >> i) & 1) != 0); // reserved runs are wider than 64 bits
        return *this;
    }

    BitWriter& ue(std::uint32_t value)
    {
        int length = 0;
        while ((std::uint64_t{value} + 1) >> (length + 1))
            ++length;
        return u(0, length).u(std::uint64_t{value} + 1, length + 1);
    }

    // The NAL unit: header of type 33, the payload with its stop bit and, wherever two zero bytes
    // would precede a byte of 0 to 3, the emulation prevention byte.
    std::vector<std::uint8_t> SpsNal() const
    {
        std::vector<bool> bits = bits_;
        bits.push_back(true);
        while (bits.size() % 8 != 0)
            bits.push_back(false);
        std::vector<std::uint8_t> nal{0x42, 0x01};
        int zeros = 0;
        for (std::size_t i = 0; i < bits.size(); i += 8) {
            std::uint8_t byte = 0;
            for (std::size_t b = 0; b < 8; ++b)
                byte = static_cast<std::uint8_t>(byte << 1 | (bits[i + b] ? 1 : 0));
            if (zeros >= 2 && byte <= 3) {
                nal.push_back(3);
                zeros = 0;
            }
            nal.push_back(byte);
            zeros = byte == 0 ? zeros + 1 : 0;
        }
        return nal;
    }

private:
    std::vector<bool> bits_;
};

struct Sps {
    int subLayers = 1;          // sps_max_sub_layers_minus1 + 1
    bool subLayerProfiles = true;
    std::uint32_t chroma = 1;
    bool separatePlanes = false;
    std::uint32_t width = 0, height = 0;
    bool window = false;
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
};

std::vector<std::uint8_t> Write(const Sps& s)
{
    BitWriter w;
    w.u(0, 4).u(static_cast<std::uint64_t>(s.subLayers - 1), 3).u(1, 1);
    w.u(1, 8).u(0x60000000, 32).u(0, 48).u(93, 8); // Main profile: mostly zero bits, so escapes follow
    for (int i = 0; i < s.subLayers - 1; ++i)
        w.u(s.subLayerProfiles ? 1 : 0, 1).u(1, 1);
    if (s.subLayers > 1)
        w.u(0, 2 * (9 - s.subLayers));
    for (int i = 0; i < s.subLayers - 1; ++i)
        w.u(s.subLayerProfiles ? 0xFFFF : 0, s.subLayerProfiles ? 88 : 0).u(0x5A, 8);
    w.ue(0).ue(s.chroma);
    if (s.chroma == 3)
        w.u(s.separatePlanes ? 1 : 0, 1);
    w.ue(s.width).ue(s.height).u(s.window ? 1 : 0, 1);
    if (s.window)
        w.ue(s.left).ue(s.right).ue(s.top).ue(s.bottom);
    w.u(0, 32); // what follows the size, read no further
    return w.SpsNal();
}

std::vector<std::uint8_t> Hex(const std::string& text)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

TEST(HevcSps, ReadsTheCodedAndTheShownSize)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> nal;
        std::uint32_t codedWidth, codedHeight, shownWidth, shownHeight;
    };
    const Case cases[] = {
        // x265's through libheif for the 70 × 46 rose's grid tile, bytes 00 00 03 included.
        {"written by x265", Hex("42010103700000030090000003000003001ea02481075e5bab929ae6c08000000300800000030084"), 72,
         64, 70, 64},
        {"4:2:0 window counts two pixels", Write({.width = 456, .height = 304, .window = true, .right = 2, .bottom = 2}),
         456, 304, 452, 300},
        {"4:2:2 halves the width only", Write({.chroma = 2, .width = 64, .height = 64, .window = true, .right = 3, .bottom = 3}),
         64, 64, 58, 61},
        {"4:4:4 counts pixels", Write({.chroma = 3, .width = 64, .height = 64, .window = true, .left = 1, .top = 2}), 64,
         64, 63, 62},
        {"separate colour planes", Write({.chroma = 3, .separatePlanes = true, .width = 16, .height = 8}), 16, 8, 16, 8},
        {"greyscale", Write({.chroma = 0, .width = 4096, .height = 4096, .window = true, .bottom = 96}), 4096, 4096,
         4096, 4000},
        {"seven sub-layers with profiles", Write({.subLayers = 7, .width = 8192, .height = 8192}), 8192, 8192, 8192, 8192},
        {"sub-layers with levels only", Write({.subLayers = 3, .subLayerProfiles = false, .width = 1920, .height = 1088,
                                               .window = true, .bottom = 4}),
         1920, 1088, 1920, 1080},
        {"window larger than the picture", Write({.width = 64, .height = 64, .window = true, .left = 40}), 64, 64, 0, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<HevcPictureSize> size = ReadHevcSpsPictureSize(c.nal);
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->codedWidth, c.codedWidth);
        EXPECT_EQ(size->codedHeight, c.codedHeight);
        EXPECT_EQ(size->shownWidth, c.shownWidth);
        EXPECT_EQ(size->shownHeight, c.shownHeight);
    }
}

TEST(HevcSps, RefusesWhatLibde265Refuses)
{
    std::vector<std::uint8_t> picture = Write({.width = 64, .height = 64});
    picture[0] = 0x02; // a slice of a picture, not a parameter set
    std::vector<std::uint8_t> eightSubLayers = Write({.width = 64, .height = 64});
    eightSubLayers[2] |= 0x0E; // sps_max_sub_layers_minus1 = 7
    const std::vector<std::uint8_t> whole = Write({.width = 4096, .height = 2048});
    struct Case {
        const char* name;
        std::vector<std::uint8_t> nal;
    };
    const Case cases[] = {
        {"not a parameter set", picture},
        {"eight sub-layers", eightSubLayers},
        {"zero width", Write({.width = 0, .height = 64})},
        {"chroma format 4", Write({.chroma = 4, .width = 64, .height = 64})},
        {"cut inside the profile", {whole.begin(), whole.begin() + 10}},
        {"cut inside the height", {whole.begin(), whole.begin() + 19}},
        {"only the header", {0x42, 0x01}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadHevcSpsPictureSize(c.nal).has_value());
    }
}

} // namespace
} // namespace velmora
