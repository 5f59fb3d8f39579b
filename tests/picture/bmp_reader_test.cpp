#include "picture/bmp_codec.h"
#include "picture/picture_error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Building small bitmap files in memory ----

void PutU16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// Rows in file order, each padded with zeros to a multiple of 4 bytes.
Bytes Rows(std::initializer_list<Bytes> rows)
{
    Bytes out;
    for (const Bytes& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize(out.size() + (4 - row.size() % 4) % 4, 0);
    }
    return out;
}

// A bitmap file with every header field at hand. The info header is written as a V5 header cut
// to `infoSize` bytes (an OS/2 1.x core header for 12), so every version gets its own layout.
struct BmpFile {
    std::uint32_t infoSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> headerMasks{}; // inside a V2+ header: red, green, blue, alpha
    std::vector<std::uint32_t> masksAfter{};  // after a 40-byte header
    std::vector<Color> palette{};
    std::size_t gap = 0;                           // bytes between palette and pixels
    std::optional<std::uint32_t> pixelOffset{};      // default: where the pixels start
    Bytes pixels{};

    Bytes build() const
    {
        Bytes info;
        if (infoSize == 12) {
            PutU32(info, 12);
            PutU16(info, static_cast<std::uint32_t>(width));
            PutU16(info, static_cast<std::uint32_t>(height));
            PutU16(info, 1);
            PutU16(info, bitsPerPixel);
        } else {
            PutU32(info, infoSize);
            PutU32(info, static_cast<std::uint32_t>(width));
            PutU32(info, static_cast<std::uint32_t>(height));
            PutU16(info, 1);
            PutU16(info, bitsPerPixel);
            PutU32(info, compression);
            PutU32(info, 0);    // image size
            PutU32(info, 2835); // resolution
            PutU32(info, 2835);
            PutU32(info, coloursUsed);
            PutU32(info, 0); // important colours
            for (const std::uint32_t mask : headerMasks)
                PutU32(info, mask);
            info.resize(infoSize, 0);
        }
        for (const std::uint32_t mask : masksAfter)
            PutU32(info, mask);
        for (const Color c : palette) {
            info.push_back(static_cast<std::uint8_t>(Blue(c)));
            info.push_back(static_cast<std::uint8_t>(Green(c)));
            info.push_back(static_cast<std::uint8_t>(Red(c)));
            if (infoSize != 12)
                info.push_back(0);
        }
        info.resize(info.size() + gap, 0xEE);

        Bytes out{'B', 'M'};
        const auto offset = static_cast<std::uint32_t>(14 + info.size());
        PutU32(out, static_cast<std::uint32_t>(offset + pixels.size()));
        PutU32(out, 0);
        PutU32(out, pixelOffset.value_or(offset));
        out.insert(out.end(), info.begin(), info.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

constexpr Color kRed = MakeColor(255, 0, 0);
constexpr Color kGreen = MakeColor(0, 255, 0);
constexpr Color kBlue = MakeColor(0, 0, 255);
constexpr Color kGrey = MakeColor(128, 128, 128);
constexpr Color kOrange = MakeColor(255, 128, 0);

// The pixels row by row from the top.
std::vector<std::vector<Color>> PixelsOf(const Bitmap& bitmap)
{
    std::vector<std::vector<Color>> rows;
    for (int y = 0; y < bitmap.height(); ++y)
        rows.emplace_back(bitmap.row(y).begin(), bitmap.row(y).end());
    return rows;
}

std::string ErrorOf(const Bytes& file)
{
    try {
        DecodeBmp(file);
    } catch (const PictureError& e) {
        return e.what();
    }
    return "(no error)";
}

// ---- Header versions and depths ----

TEST(BmpReader, EveryHeaderVersionReadsTheSamePicture)
{
    // A 3 × 2 picture of 8-bit indices, bottom row first.
    const Bytes pixels = Rows({{2, 1, 0}, {0, 1, 2}});
    const std::vector<std::vector<Color>> expected = {{kRed, kGreen, kBlue}, {kBlue, kGreen, kRed}};
    struct Case {
        const char* name;
        std::uint32_t infoSize;
    };
    const Case cases[] = {
        {"OS/2 1.x core", 12}, {"OS/2 2.x cut to 16 bytes", 16}, {"OS/2 2.x cut to 24 bytes", 24},
        {"OS/2 2.x full", 64}, {"Windows 3", 40},                {"V2", 52},
        {"V3", 56},            {"V4", 108},                      {"V5", 124},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFile file{.infoSize = c.infoSize, .width = 3, .height = 2, .bitsPerPixel = 8};
        file.palette = {kRed, kGreen, kBlue};
        file.pixels = pixels;
        const Bitmap bitmap = DecodeBmp(file.build());
        EXPECT_EQ(PixelsOf(bitmap), expected);
        EXPECT_EQ(bitmap.sourceBitsPerPixel(), 8);
    }
}

TEST(BmpReader, DecodesEachDepth)
{
    struct Case {
        const char* name;
        BmpFile file;
        std::vector<std::vector<Color>> expected;
    };
    const std::vector<Case> cases = {
        {"1 bit, 10 wide: the second byte holds the last two pixels",
         {.width = 10, .height = 1, .bitsPerPixel = 1, .palette = {kRed, kBlue}, .pixels = Rows({{0b1000'0001, 0b0100'0000}})},
         {{kBlue, kRed, kRed, kRed, kRed, kRed, kRed, kBlue, kRed, kBlue}}},
        {"2 bits",
         {.width = 5, .height = 1, .bitsPerPixel = 2, .palette = {kRed, kGreen, kBlue, kGrey}, .pixels = Rows({{0b00'01'10'11, 0b0100'0000}})},
         {{kRed, kGreen, kBlue, kGrey, kGreen}}},
        {"4 bits, odd width",
         {.width = 3, .height = 2, .bitsPerPixel = 4, .palette = {kRed, kGreen, kBlue}, .pixels = Rows({{0x01, 0x20}, {0x22, 0x10}})},
         {{kBlue, kBlue, kGreen}, {kRed, kGreen, kBlue}}},
        {"16 bits, 5-5-5 without masks; the unused top bit is ignored",
         {.width = 2, .height = 1, .bitsPerPixel = 16, .pixels = Rows({{0x1F, 0x80, 0xE0, 0xFF}})},
         {{MakeColor(0, 0, 255), MakeColor(255, 255, 0)}}},
        {"24 bits, odd width with padding",
         {.width = 3, .height = 2, .bitsPerPixel = 24,
          .pixels = Rows({{0, 0, 255, 0, 255, 0, 255, 0, 0}, {0, 128, 255, 128, 128, 128, 1, 2, 3}})},
         {{kOrange, kGrey, MakeColor(3, 2, 1)}, {kRed, kGreen, kBlue}}},
        {"32 bits without masks; the fourth byte is not alpha",
         {.width = 2, .height = 1, .bitsPerPixel = 32, .pixels = Rows({{0, 128, 255, 0, 10, 20, 30, 0xFF}})},
         {{kOrange, MakeColor(30, 20, 10)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap bitmap = DecodeBmp(c.file.build());
        EXPECT_EQ(PixelsOf(bitmap), c.expected);
        EXPECT_EQ(bitmap.sourceBitsPerPixel(), c.file.bitsPerPixel);
    }
}

TEST(BmpReader, BitFieldChannelsScaleSoTheBrightestValueIs255)
{
    struct Case {
        const char* name;
        BmpFile file;
        std::vector<Color> expected;
    };
    // 16-bit pixels 0x0801 (5-6-5: red 1, green 0, blue 1), 0x8410 (red 16, green 32, blue 16), 0xFFFF.
    const Bytes rgb565 = Rows({{0x01, 0x08, 0x10, 0x84, 0xFF, 0xFF}});
    const std::vector<Color> scaled565 = {MakeColor(8, 0, 8), MakeColor(132, 130, 132), kWhite};
    const std::vector<Case> cases = {
        {"5-6-5 after a 40-byte header",
         {.width = 3, .bitsPerPixel = 16, .compression = 3, .masksAfter = {0xF800, 0x07E0, 0x001F}, .pixels = rgb565},
         scaled565},
        {"5-6-5 inside a V5 header",
         {.infoSize = 124, .width = 3, .bitsPerPixel = 16, .compression = 3, .headerMasks = {0xF800, 0x07E0, 0x001F, 0},
          .pixels = rgb565},
         scaled565},
        {"2-3-1: narrow channels still reach 255",
         // 0b01'011'1: red 1 of 3, green 3 of 7, blue 1 of 1.
         {.width = 2, .bitsPerPixel = 16, .compression = 3, .masksAfter = {0x30, 0x0E, 0x01}, .pixels = Rows({{0x17, 0, 0x3F, 0}})},
         {MakeColor(85, 109, 255), kWhite}},
        {"a zero mask gives 0",
         {.width = 1, .bitsPerPixel = 16, .compression = 3, .masksAfter = {0, 0x07E0, 0}, .pixels = Rows({{0xFF, 0xFF}})},
         {MakeColor(0, 255, 0)}},
        {"32-bit 10-10-10 in a V2 header",
         // red 1023, green 512, blue 1.
         {.infoSize = 52, .width = 1, .bitsPerPixel = 32, .compression = 3,
          .headerMasks = {0x3FF00000, 0x000FFC00, 0x000003FF}, .pixels = Rows({{0x01, 0x00, 0xF8, 0x3F}})},
         {MakeColor(255, 128, 0)}},
        {"32-bit with channels in unusual places and all 32 bits used (11-11-10)",
         // blue mask low 10 bits, green next 11, red top 11: blue 1023, green 0, red 1.
         {.width = 1, .bitsPerPixel = 32, .compression = 3, .masksAfter = {0xFFE00000, 0x001FFC00, 0x000003FF},
          .pixels = Rows({{0xFF, 0x03, 0x20, 0x00}})},
         {MakeColor(0, 0, 255)}},
        {"BI_ALPHABITFIELDS: four masks follow the header and alpha is ignored",
         {.width = 1, .bitsPerPixel = 32, .compression = 6, .masksAfter = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
          .pixels = Rows({{10, 20, 30, 0}})},
         {MakeColor(30, 20, 10)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap bitmap = DecodeBmp(c.file.build());
        ASSERT_EQ(bitmap.height(), 1);
        EXPECT_EQ(PixelsOf(bitmap)[0], c.expected);
    }
}

// ---- Palettes and pixel offsets ----

TEST(BmpReader, PaletteEdgeCases)
{
    struct Case {
        const char* name;
        BmpFile file;
        std::vector<Color> expected;
    };
    const std::vector<Case> cases = {
        {"indices past a short palette are black",
         {.width = 4, .bitsPerPixel = 8, .coloursUsed = 2, .palette = {kRed, kGreen}, .pixels = Rows({{0, 1, 2, 255}})},
         {kRed, kGreen, kBlack, kBlack}},
        {"a 1-entry palette for 1 bit",
         {.width = 2, .bitsPerPixel = 1, .coloursUsed = 1, .palette = {kGreen}, .pixels = Rows({{0b0100'0000}})},
         {kGreen, kBlack}},
        {"a palette longer than the depth needs uses its first entries",
         {.width = 2, .bitsPerPixel = 1, .coloursUsed = 3, .palette = {kRed, kGreen, kBlue}, .pixels = Rows({{0b0100'0000}})},
         {kRed, kGreen}},
        {"colours-used 0 means 2^bits, cut to the room before the pixels (OS/2 1.x)",
         {.infoSize = 12, .width = 3, .bitsPerPixel = 8, .palette = {kRed, kGreen}, .pixels = Rows({{1, 0, 7}})},
         {kGreen, kRed, kBlack}},
        {"the pixel offset is honoured across a gap after the palette",
         {.width = 2, .bitsPerPixel = 8, .coloursUsed = 2, .palette = {kRed, kGreen}, .gap = 10, .pixels = Rows({{1, 0}})},
         {kGreen, kRed}},
        {"a true-colour picture ignores its palette",
         {.width = 1, .bitsPerPixel = 24, .coloursUsed = 300, .palette = std::vector<Color>(300, kGreen),
          .pixels = Rows({{255, 0, 0}})},
         {kBlue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PixelsOf(DecodeBmp(c.file.build()))[0], c.expected);
    }
}

TEST(BmpReader, NegativeHeightMeansTopDownRows)
{
    BmpFile file{.width = 2, .height = -2, .bitsPerPixel = 8, .palette = {kRed, kGreen, kBlue}};
    file.pixels = Rows({{0, 1}, {2, 2}});
    EXPECT_EQ(PixelsOf(DecodeBmp(file.build())), (std::vector<std::vector<Color>>{{kRed, kGreen}, {kBlue, kBlue}}));
}

TEST(BmpReader, LastRowMayLackItsPadding)
{
    BmpFile file{.width = 1, .height = 2, .bitsPerPixel = 24, .pixels = Rows({{1, 2, 3}, {4, 5, 6}})};
    file.pixels.resize(4 + 3); // the second row's padding byte is missing
    EXPECT_EQ(PixelsOf(DecodeBmp(file.build())),
              (std::vector<std::vector<Color>>{{MakeColor(6, 5, 4)}, {MakeColor(3, 2, 1)}}));
}

// ---- Run-length coding ----

// A 4-row RLE picture of the given width; rows of the result are listed from the top.
std::vector<std::vector<Color>> DecodeRle(std::uint16_t bits, int width, Bytes stream, int height = 4)
{
    BmpFile file{.width = width, .height = height, .bitsPerPixel = bits, .compression = bits == 8 ? 1u : 2u,
                 .palette = {kGrey, kRed, kGreen, kBlue}, .pixels = std::move(stream)};
    return PixelsOf(DecodeBmp(file.build()));
}

constexpr Color G = kGrey; // the first palette colour: what the stream does not write
constexpr Color R = kRed;
constexpr Color N = kGreen;
constexpr Color B = kBlue;

TEST(BmpReader, Rle8Codes)
{
    struct Case {
        const char* name;
        Bytes stream;
        std::vector<std::vector<Color>> expected; // from the top row
    };
    const std::vector<Case> cases = {
        {"runs, end of line, absolute runs with padding, end of bitmap",
         {3, 1, 1, 2, 0, 0,          // bottom row: R R R N
          0, 3, 2, 3, 1, 0, 1, 3, 0, 0, // absolute run N B R (padded to 4 bytes), then R B
          0, 1},
         {{G, G, G, G}, {G, G, G, G}, {N, B, R, B}, {R, R, R, N}}},
        {"a delta skips pixels and rows; skipped pixels keep the first colour",
         {1, 1, 0, 2, 2, 1, 1, 2, 0, 1}, // R at (0,0), move right 2 and up 1, N there
         {{G, G, G, G}, {G, G, G, G}, {G, G, G, N}, {R, G, G, G}}},
        {"a run past the end of a row is clipped, not wrapped",
         {6, 1, 0, 0, 1, 3, 0, 1},
         {{G, G, G, G}, {G, G, G, G}, {B, G, G, G}, {R, R, R, R}}},
        {"an absolute run past the end of a row is clipped",
         {0, 5, 1, 2, 3, 1, 2, 0, 0, 0, 1, 3},
         {{G, G, G, G}, {G, G, G, G}, {B, G, G, G}, {R, N, B, R}}},
        {"writing past the top row ends the picture",
         {0, 2, 0, 3, 2, 1, 0, 0, 3, 3}, // delta to the top row, two pixels, then past it
         {{R, R, G, G}, {G, G, G, G}, {G, G, G, G}, {G, G, G, G}}},
        {"a stream without end of bitmap ends the picture where it stops",
         {2, 3, 0, 0, 1, 1},
         {{G, G, G, G}, {G, G, G, G}, {R, G, G, G}, {B, B, G, G}}},
        {"a stream cut inside an absolute run keeps what came before",
         {1, 2, 0, 6, 1, 1},
         {{G, G, G, G}, {G, G, G, G}, {G, G, G, G}, {N, G, G, G}}},
        {"a stream cut inside a delta",
         {1, 3, 0, 2, 1},
         {{G, G, G, G}, {G, G, G, G}, {G, G, G, G}, {B, G, G, G}}},
        {"indices past the palette are black",
         {2, 200, 0, 1},
         {{G, G, G, G}, {G, G, G, G}, {G, G, G, G}, {kBlack, kBlack, G, G}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeRle(8, 4, c.stream), c.expected);
    }
}

TEST(BmpReader, Rle4Codes)
{
    struct Case {
        const char* name;
        Bytes stream;
        std::vector<std::vector<Color>> expected;
    };
    const std::vector<Case> cases = {
        {"a run alternates the two nibbles",
         {5, 0x12, 0, 1},
         {{G, G, G, G, G}, {G, G, G, G, G}, {G, G, G, G, G}, {R, N, R, N, R}}},
        {"absolute runs: 3 nibbles in 2 bytes, 5 nibbles in 3 bytes and a pad byte",
         {0, 3, 0x31, 0x20, 0, 0,
          0, 5, 0x12, 0x30, 0x10, 0xFF, 0, 1},
         {{G, G, G, G, G}, {G, G, G, G, G}, {R, N, B, G, R}, {B, R, N, G, G}}},
        {"a delta and a run clipped at the row end",
         {0, 2, 3, 0, 9, 0x33, 0, 1},
         {{G, G, G, G, G}, {G, G, G, G, G}, {G, G, G, G, G}, {G, G, G, B, B}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeRle(4, 5, c.stream), c.expected);
    }
}

TEST(BmpReader, EndlessZeroDeltasTerminate)
{
    Bytes stream;
    for (int i = 0; i < 100'000; ++i)
        stream.insert(stream.end(), {0, 2, 0, 0});
    const auto rows = DecodeRle(8, 64, stream, 64);
    EXPECT_EQ(rows[0][0], kGrey);
}

// A run-length picture is filled before its stream is read, so a header of a few bytes could make
// us fill a gigabyte. Up to 64 MiB of picture (4096 × 4096) any stream will do; beyond, the file
// must bring a byte for every 16 pixels.
TEST(BmpReader, RleDataMustBeInProportionToThePicture)
{
    const auto rle8 = [](int width, int height, std::size_t dataBytes) {
        Bytes stream(dataBytes, 0);
        stream[1] = 1; // end of bitmap first; the rest is never read
        return BmpFile{.width = width, .height = height, .bitsPerPixel = 8, .compression = 1,
                       .palette = {kGrey}, .pixels = std::move(stream)}.build();
    };
    const Bitmap free = DecodeBmp(rle8(4096, 4096, 2));
    EXPECT_EQ(free.pixel(4095, 0), kGrey);
    EXPECT_NE(ErrorOf(rle8(4096, 4097, 2)).find("run-length coded bitmap data of 2 bytes is too short for a 4096 × 4097 picture"),
              std::string::npos);
    // 4500 × 4500 pixels (81 000 000 bytes) need (81 000 000 - 64 MiB) / 64 = 217 049 bytes of data.
    EXPECT_NE(ErrorOf(rle8(4500, 4500, 217'048)).find("too short"), std::string::npos);
    EXPECT_EQ(DecodeBmp(rle8(4500, 4500, 217'049)).height(), 4500);
}

// ---- Reading from a file ----

// A file of `size` bytes, `head` followed by zeros, that counts what the reader asks for.
class CountingSource : public BmpSource {
public:
    CountingSource(Bytes head, std::uint64_t size) : head_(std::move(head)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    void read(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        ASSERT_LE(offset + out.size(), size_);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = offset + i < head_.size() ? head_[offset + i] : 0;
        bytesRead += out.size();
        largestRead = std::max<std::uint64_t>(largestRead, out.size());
    }

    std::uint64_t bytesRead = 0;
    std::uint64_t largestRead = 0;

private:
    Bytes head_;
    std::uint64_t size_;
};

TEST(BmpReader, ReadsTheHeadersBeforeTheRestOfTheFile)
{
    struct Case {
        const char* name;
        Bytes head;
        const char* message;
    };
    const Case cases[] = {
        {"zeros", {}, "does not start with \"BM\""},
        {"a JPEG picture inside a bitmap header", BmpFile{.compression = 4}.build(), "JPEG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingSource twoGigabytes(c.head, std::uint64_t{2} << 30);
        try {
            DecodeBmp(twoGigabytes);
            ADD_FAILURE() << "decoded";
        } catch (const PictureError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_LE(twoGigabytes.bytesRead, 2048u);
    }
}

// The rows of a large bitmap are read a block at a time, never the whole file beside the picture.
TEST(BmpReader, ReadsLargeBitmapsInBlocksOfRows)
{
    const BmpFile header{.width = 2000, .height = 1000, .bitsPerPixel = 32};
    const Bytes head = header.build();
    CountingSource file(head, head.size() + std::uint64_t{2000} * 1000 * 4);
    const Bitmap picture = DecodeBmp(file);
    EXPECT_EQ(picture.height(), 1000);
    EXPECT_EQ(file.bytesRead, 2048 + std::uint64_t{2000} * 1000 * 4); // the head, then every row once
    EXPECT_LE(file.largestRead, std::uint64_t{1} << 20);
}

// ---- Refused files ----

BmpFile Plain24(int width = 2, int height = 2)
{
    return {.width = width, .height = height, .bitsPerPixel = 24, .pixels = Bytes(8 * 2, 0)};
}

template <typename Change>
Bytes With(BmpFile file, Change change)
{
    change(file);
    return file.build();
}

// Overwrites the 32-bit field at `offset` of a built file.
Bytes Patched(Bytes file, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        file[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    return file;
}

TEST(BmpReader, RefusesMalformedFilesWithAMessageNamingTheFault)
{
    const Bytes good = Plain24().build();
    struct Case {
        const char* name;
        Bytes file;
        const char* message; // a part of the error text
    };
    const std::vector<Case> cases = {
        {"empty file", {}, "empty"},
        {"not a bitmap", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "does not start with \"BM\""},
        {"file header only", Bytes(good.begin(), good.begin() + 14), "ends inside the bitmap info header"},
        {"info header cut short", Bytes(good.begin(), good.begin() + 30), "ends inside the bitmap info header"},
        {"header size of no version", Patched(good, 14, 66), "info header size 66"},
        {"header size 0xFFFFFFF0", Patched(good, 14, 0xFFFFFFF0), "info header size 4294967280"},
        {"64 bits per pixel", With(Plain24(), [](BmpFile& f) { f.bitsPerPixel = 64; }), "64 bits per pixel"},
        {"0 bits per pixel", With(Plain24(), [](BmpFile& f) { f.bitsPerPixel = 0; }), "0 bits per pixel"},
        {"RLE8 at 24 bits", With(Plain24(), [](BmpFile& f) { f.compression = 1; }), "RLE8 compression needs 8 bits"},
        {"RLE4 at 8 bits", With(Plain24(), [](BmpFile& f) { f.compression = 2; f.bitsPerPixel = 8; }), "RLE4 compression needs 4 bits"},
        {"bit fields at 24 bits", With(Plain24(), [](BmpFile& f) { f.compression = 3; f.masksAfter = {1, 2, 4}; }), "bit-field compression needs 16 or 32"},
        {"BI_JPEG", With(Plain24(), [](BmpFile& f) { f.compression = 4; }), "JPEG"},
        {"BI_PNG", With(Plain24(), [](BmpFile& f) { f.compression = 5; }), "PNG"},
        {"OS/2 Huffman 1-D", With(Plain24(), [](BmpFile& f) { f.infoSize = 64; f.compression = 3; f.bitsPerPixel = 1; }), "Huffman"},
        {"OS/2 RLE24", With(Plain24(), [](BmpFile& f) { f.infoSize = 64; f.compression = 4; }), "RLE24"},
        {"unknown compression", With(Plain24(), [](BmpFile& f) { f.compression = 99; }), "compression 99"},
        {"zero width", With(Plain24(), [](BmpFile& f) { f.width = 0; }), "no pixels"},
        {"zero height", With(Plain24(), [](BmpFile& f) { f.height = 0; }), "no pixels"},
        {"negative width", With(Plain24(), [](BmpFile& f) { f.width = -2; }), "no pixels"},
        {"most negative height", With(Plain24(), [](BmpFile& f) { f.height = std::numeric_limits<std::int32_t>::min(); }), "height -2147483648"},
        {"100000 × 100000", With(Plain24(), [](BmpFile& f) { f.width = f.height = 100000; }), "too large"},
        {"65536 × 65536 × 4 wraps to 0 in 32 bits", With(Plain24(), [](BmpFile& f) { f.width = f.height = 65536; f.bitsPerPixel = 32; }), "too large"},
        {"row size wraps in 32 bits", With(Plain24(), [](BmpFile& f) { f.width = 0x40000001; f.bitsPerPixel = 32; }), "too large"},
        {"16384 × 16385 just over the pixel limit", With(Plain24(), [](BmpFile& f) { f.width = 16384; f.height = 16385; f.compression = 1; f.bitsPerPixel = 8; }), "too large"},
        {"pixel offset past the end", With(Plain24(), [](BmpFile& f) { f.pixelOffset = 100000; }), "bitmap data offset lies beyond the end of the file"},
        {"pixel offset inside the headers", With(Plain24(), [](BmpFile& f) { f.pixelOffset = 20; }), "lies inside the headers"},
        {"colours-used -1", With(Plain24(), [](BmpFile& f) { f.bitsPerPixel = 8; f.coloursUsed = 0xFFFFFFFF; f.palette.assign(256, kGrey); }), "palette of 4294967295 colours"},
        {"palette runs past the pixel offset", With(Plain24(), [](BmpFile& f) { f.bitsPerPixel = 8; f.coloursUsed = 3; f.palette = {kRed, kGreen}; }), "palette of 3 colours"},
        {"masks missing after a 40-byte header", With(Plain24(), [](BmpFile& f) { f.bitsPerPixel = 16; f.compression = 3; f.pixels.clear(); }), "ends inside the bitmap colour masks"},
        {"pixel data truncated", With(Plain24(), [](BmpFile& f) { f.pixels.resize(10); }), "pixel data ends after 10 of 14 bytes"},
        {"headers and no pixels", With(Plain24(451, 300), [](BmpFile& f) { f.pixels.clear(); }), "pixel data ends after 0 of 406797 bytes"},
        {"RLE8 header of 16384 × 16384 and no data", With(Plain24(), [](BmpFile& f) { f.width = f.height = 16384; f.bitsPerPixel = 8; f.compression = 1; f.pixels.clear(); }),
         "run-length coded bitmap data of 0 bytes is too short for a 16384 × 16384 picture"},
        {"RLE4 header of 8000 × 8000 over 1000 bytes", With(Plain24(), [](BmpFile& f) { f.width = f.height = 8000; f.bitsPerPixel = 4; f.compression = 2; f.pixels.assign(1000, 0); }),
         "data of 1000 bytes is too short for a 8000 × 8000 picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(ErrorOf(c.file).find(c.message), std::string::npos) << ErrorOf(c.file);
    }
}

// ---- Round trip and the test corpus ----

TEST(BmpReader, ReadsWhatTheWriterWrites)
{
    // Small, and padded rows over several of the writer's pieces.
    for (const auto& [width, height] : {std::pair{7, 5}, std::pair{301, 250}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Bitmap picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.setPixel(x, y, MakeColor(x * 36 % 256, y * 60 % 256, (x * y * 17) % 256));
        const Bitmap read = DecodeBmp(EncodeBmp24(picture));
        EXPECT_EQ(read.sourceBitsPerPixel(), 24);
        EXPECT_EQ(PixelsOf(read), PixelsOf(picture));
    }
}

const std::filesystem::path kCorpus = VELMORA_CORPUS_DIR;

Bytes ReadCorpusFile(const std::string& name)
{
    std::ifstream in(kCorpus / name, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open corpus file " + name);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bitmap DecodeCorpusFile(const std::string& name)
{
    return DecodeBmp(ReadCorpusFile(name));
}

// FNV-1a 64 of the R, G, B bytes of every pixel, top row first: the digest the fixture holds.
std::string Digest(const Bitmap& bitmap)
{
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const Color c : bitmap.pixels())
        for (const int channel : {Red(c), Green(c), Blue(c)}) {
            hash ^= static_cast<std::uint64_t>(channel);
            hash *= 0x100000001b3;
        }
    std::ostringstream text;
    text << std::hex;
    text.width(16);
    text.fill('0');
    text << hash;
    return text.str();
}

// bmp-digests.tsv holds ImageMagick's decoding of every corpus bitmap that loads, except those
// where ImageMagick is wrong (see make-bmp-digests.sh); the tests below check those.
TEST(BmpReader, CorpusPicturesMatchAnIndependentDecoder)
{
    std::ifstream table(std::filesystem::path(VELMORA_TEST_DATA_DIR) / "bmp-digests.tsv");
    ASSERT_TRUE(table) << "bmp-digests.tsv is missing";
    int checked = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, digest;
        int width = 0, height = 0;
        fields >> name >> width >> height >> digest;
        SCOPED_TRACE(name);
        const Bitmap bitmap = DecodeCorpusFile(name);
        EXPECT_EQ(bitmap.width(), width);
        EXPECT_EQ(bitmap.height(), height);
        EXPECT_EQ(Digest(bitmap), digest);
        ++checked;
    }
    EXPECT_GE(checked, 50);
}

TEST(BmpReader, CorpusFilesThatMustEqualASibling)
{
    struct Case {
        const char* file;
        const char* sameAs;
    };
    const Case cases[] = {
        {"bmpsuite/q/pal8os2v2.bmp", "bmpsuite/g/pal8.bmp"}, // OS/2 2.x 64-byte header
        {"bmp-variants/var-cat-os2v2-pal8-451x300.bmp", "bmp-variants/var-cat-topdown-pal8-451x300.bmp"},
        {"bmpsuite/q/pal8oversizepal.bmp", "bmpsuite/g/pal8.bmp"}, // 300 palette entries
        {"bmpsuite/b/badfilesize.bmp", "bmpsuite/g/pal1.bmp"},     // a lying file-size field
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(DecodeCorpusFile(c.file), DecodeCorpusFile(c.sameAs));
    }
}

TEST(BmpReader, CorpusRleDeltasLeaveTheFirstPaletteColour)
{
    // The same pictures without skips; where the skipping file differs, it must show its first
    // palette colour, which in both files is red 128, green 0, blue 255.
    const Color first = MakeColor(128, 0, 255);
    const std::pair<const char*, const char*> cases[] = {
        {"bmpsuite/q/pal4rlecut.bmp", "bmpsuite/g/pal4rle.bmp"},
        {"bmpsuite/q/pal8rletrns.bmp", "bmpsuite/g/pal8rle.bmp"},
    };
    for (const auto& [skipping, full] : cases) {
        SCOPED_TRACE(skipping);
        const Bitmap cut = DecodeCorpusFile(skipping);
        const Bitmap whole = DecodeCorpusFile(full);
        ASSERT_EQ(cut.pixels().size(), whole.pixels().size());
        int skipped = 0;
        for (std::size_t i = 0; i < cut.pixels().size(); ++i)
            if (cut.pixels()[i] != whole.pixels()[i]) {
                EXPECT_EQ(cut.pixels()[i], first);
                ++skipped;
            }
        EXPECT_GT(skipped, 100);
    }
}

// Each channel of `bitmap` must be a value the channel's bits can give when scaled so that the
// top value is 255, reach 0 and 255, and lie within one step of the same picture stored at
// 8 bits per channel.
void ExpectScaledChannels(const Bitmap& bitmap, const Bitmap& reference, std::array<int, 3> bits)
{
    ASSERT_EQ(bitmap.pixels().size(), reference.pixels().size());
    for (int channel = 0; channel < 3; ++channel) {
        SCOPED_TRACE("channel " + std::to_string(channel));
        const auto value = [channel](Color c) { return channel == 0 ? Red(c) : channel == 1 ? Green(c) : Blue(c); };
        const int top = (1 << bits[channel]) - 1;
        std::vector<bool> onScale(256, top >= 255);
        for (int q = 0; q <= top && top < 255; ++q)
            onScale[static_cast<std::size_t>((q * 255 + top / 2) / top)] = true;
        const int step = (255 + top - 1) / top;
        int lowest = 255, highest = 0, offScale = 0, far = 0;
        for (std::size_t i = 0; i < bitmap.pixels().size(); ++i) {
            const int v = value(bitmap.pixels()[i]);
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
            offScale += onScale[static_cast<std::size_t>(v)] ? 0 : 1;
            far += std::abs(v - value(reference.pixels()[i])) > step ? 1 : 0;
        }
        EXPECT_EQ(lowest, 0);
        EXPECT_EQ(highest, 255);
        EXPECT_EQ(offScale, 0);
        EXPECT_EQ(far, 0);
    }
}

TEST(BmpReader, CorpusSixteenBitAndOddMaskPicturesScaleToFullRange)
{
    struct Case {
        const char* file;
        const char* reference;
        std::array<int, 3> bits;
    };
    const Case cases[] = {
        {"bmpsuite/g/rgb16.bmp", "bmpsuite/g/rgb24.bmp", {5, 5, 5}},
        {"bmpsuite/q/rgb16faketrns.bmp", "bmpsuite/g/rgb24.bmp", {5, 5, 5}},
        {"bmpsuite/q/rgba16-5551.bmp", "bmpsuite/g/rgb24.bmp", {5, 5, 5}},
        {"bmpsuite/g/rgb16-565.bmp", "bmpsuite/g/rgb24.bmp", {5, 6, 5}},
        {"bmpsuite/q/rgb16-231.bmp", "bmpsuite/g/rgb24.bmp", {2, 3, 1}},
        {"bmpsuite/q/rgba16-4444.bmp", "bmpsuite/q/rgba32-1.bmp", {4, 4, 4}},
        {"bmpsuite/q/rgb32-111110.bmp", "bmpsuite/g/rgb24.bmp", {11, 11, 10}},
        {"bmpsuite/q/rgba32-1010102.bmp", "bmpsuite/q/rgba32-1.bmp", {10, 10, 10}},
        {"bmpsuite/q/rgba32-61754.bmp", "bmpsuite/q/rgba32-1.bmp", {6, 17, 5}},
        {"bmp-variants/var-coffee-rgb565-bitfields-v5-600x400.bmp", nullptr, {5, 6, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bitmap bitmap = DecodeCorpusFile(c.file);
        ExpectScaledChannels(bitmap, c.reference ? DecodeCorpusFile(c.reference) : bitmap, c.bits);
    }
}

TEST(BmpReader, CorpusSixteenBitPhotosAreTheirSourceCutToFewerBits)
{
    // These were written from the 24-bit photos by dropping the low bits of each channel, so
    // the expected pixels follow exactly: the kept bits scaled to 0..255, rounded.
    struct Case {
        const char* file;
        const char* source;
        std::array<int, 3> bits;
    };
    const Case cases[] = {
        {"bmp-variants/var-cat-rgb555-16bit-451x300.bmp", "photos/photo-cat-chelsea-451x300.bmp", {5, 5, 5}},
        {"bmp-variants/var-astronaut-rgb565-v3-512x512.bmp", "photos/photo-astronaut-512x512.bmp", {5, 6, 5}},
    };
    const auto cut = [](int value, int bits) {
        const int top = (1 << bits) - 1;
        return ((value >> (8 - bits)) * 255 + top / 2) / top;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bitmap bitmap = DecodeCorpusFile(c.file);
        const Bitmap source = DecodeCorpusFile(c.source);
        ASSERT_EQ(bitmap.pixels().size(), source.pixels().size());
        int wrong = 0;
        for (std::size_t i = 0; i < source.pixels().size(); ++i) {
            const Color s = source.pixels()[i];
            wrong += bitmap.pixels()[i] != MakeColor(cut(Red(s), c.bits[0]), cut(Green(s), c.bits[1]), cut(Blue(s), c.bits[2]));
        }
        EXPECT_EQ(wrong, 0);
    }
}

} // namespace
} // namespace velmora
