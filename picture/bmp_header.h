#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velmora {

// Reads little-endian numbers from a byte span and refuses to read past its end: running out
// throws PictureError("the file ends inside the <part>"), so a short file never becomes an
// out-of-bounds read.
class ByteReader {
public:
    ByteReader(std::span<const std::uint8_t> bytes, std::size_t offset, std::string part);

    std::size_t offset() const { return offset_; }
    std::size_t remaining() const { return bytes_.size() - offset_; }

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int32_t i32();
    void skip(std::size_t count);

private:
    void require(std::size_t count) const;

    std::span<const std::uint8_t> bytes_;
    std::size_t offset_;
    std::string part_;
};

// How the pixel data of a bitmap file is stored.
enum class BmpPixelFormat {
    Indexed,   // 1, 2, 4 or 8 bits per pixel into the palette
    Rle8,      // run-length coded 8-bit indices
    Rle4,      // run-length coded 4-bit indices
    Rgb24,     // blue, green, red bytes
    BitFields, // 16 or 32 bits per pixel, channels picked out by masks
};

// Everything the headers of a bitmap file say that decoding needs, already checked: the size is
// within the picture limits, the depth suits the format, and the palette and the pixel data
// start inside the file.
struct BmpHeader {
    std::uint32_t infoHeaderSize = 0;
    int width = 0;
    int height = 0;        // number of rows, always positive
    bool topDown = false;  // a negative height in the file
    int bitsPerPixel = 0;  // as stored in the file
    BmpPixelFormat format = BmpPixelFormat::Indexed;
    std::array<std::uint32_t, 3> masks{}; // red, green, blue; BitFields only

    std::size_t paletteOffset = 0;
    std::size_t paletteEntrySize = 4; // 3 in OS/2 1.x files
    std::size_t paletteEntries = 0;   // entries to read, at most 2^bitsPerPixel (≤ 256)

    std::size_t pixelOffset = 0; // where the pixel data starts, ≤ the file size
    std::uint64_t fileSize = 0;
};

// The headers, the bit masks and the largest palette all lie within a bitmap file's first bytes.
constexpr std::size_t kBmpHeadBytes = 2048;

// Reads the file header and the info header (every version: OS/2 1.x and 2.x, Windows 3 and
// V2 to V5) with the bit masks that may follow it. `head` holds the file's first
// min(fileSize, kBmpHeadBytes) bytes or more. Throws PictureError naming what is wrong.
BmpHeader ReadBmpHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize);

} // namespace velmora
