#include "bmp_header.h"

#include "bitmap.h"
#include "picture_error.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace velmora {

ByteReader::ByteReader(std::span<const std::uint8_t> bytes, std::size_t offset, std::string part)
    : bytes_(bytes), offset_(std::min(offset, bytes.size())), part_(std::move(part))
{
    if (offset > bytes.size())
        throw PictureError("the file ends before the " + part_);
}

void ByteReader::require(std::size_t count) const
{
    if (count > remaining())
        throw PictureError("the file ends inside the " + part_);
}

std::uint8_t ByteReader::u8()
{
    require(1);
    return bytes_[offset_++];
}

std::uint16_t ByteReader::u16()
{
    require(2);
    const auto value = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return value;
}

std::uint32_t ByteReader::u32()
{
    const std::uint32_t low = u16();
    const std::uint32_t high = u16();
    return low | (high << 16);
}

std::int32_t ByteReader::i32()
{
    return static_cast<std::int32_t>(u32());
}

void ByteReader::skip(std::size_t count)
{
    require(count);
    offset_ += count;
}

namespace {

constexpr std::size_t kFileHeaderSize = 14;

// Info header sizes of the bitmap versions. OS/2 2.x headers may be cut short anywhere from 16
// to 64 bytes; they hold the fields of the Windows 3 header as far as they go.
constexpr std::uint32_t kCoreHeaderSize = 12;    // OS/2 1.x, BITMAPCOREHEADER
constexpr std::uint32_t kWindowsHeaderSize = 40; // BITMAPINFOHEADER
constexpr std::uint32_t kV2HeaderSize = 52;      // + red, green and blue masks
constexpr std::uint32_t kV3HeaderSize = 56;      // + alpha mask
constexpr std::uint32_t kV4HeaderSize = 108;     // + colour space
constexpr std::uint32_t kV5HeaderSize = 124;     // + ICC profile
constexpr std::uint32_t kOs2MinHeaderSize = 16;
constexpr std::uint32_t kOs2MaxHeaderSize = 64;

// Values of the compression field.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;     // OS/2 2.x: Huffman 1-D
constexpr std::uint32_t kBiJpeg = 4;          // OS/2 2.x: RLE24
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitFields = 6; // Windows CE: a fourth (alpha) mask follows

enum class HeaderKind { Os2Core, Os2V2, Windows };

HeaderKind KindOfHeader(std::uint32_t size)
{
    switch (size) {
    case kCoreHeaderSize:
        return HeaderKind::Os2Core;
    case kWindowsHeaderSize:
    case kV2HeaderSize:
    case kV3HeaderSize:
    case kV4HeaderSize:
    case kV5HeaderSize:
        return HeaderKind::Windows;
    default:
        if (size >= kOs2MinHeaderSize && size <= kOs2MaxHeaderSize)
            return HeaderKind::Os2V2;
        throw PictureError("bitmap info header size " + std::to_string(size) + " belongs to no bitmap version");
    }
}

// The info header's fields as stored, before they are checked.
struct InfoFields {
    std::uint32_t size = 0;
    HeaderKind kind = HeaderKind::Windows;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0; // 0: as many as the depth allows
    bool masksInHeader = false;
    std::array<std::uint32_t, 3> masks{};
};

std::size_t ReadFileHeader(std::span<const std::uint8_t> file)
{
    if (file.empty())
        throw PictureError("the bitmap file is empty");
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M')
        throw PictureError("not a Windows bitmap: the file does not start with \"BM\"");
    ByteReader in(file, 2, "bitmap file header");
    in.skip(4); // file size: often wrong in real files, and not needed
    in.skip(4); // reserved
    return in.u32();
}

InfoFields ReadInfoHeader(std::span<const std::uint8_t> file)
{
    ByteReader in(file, kFileHeaderSize, "bitmap info header");
    InfoFields info;
    info.size = in.u32();
    info.kind = KindOfHeader(info.size);
    if (in.remaining() < info.size - 4)
        throw PictureError("the file ends inside the bitmap info header");

    if (info.kind == HeaderKind::Os2Core) {
        info.width = in.u16();
        info.height = in.u16(); // unsigned: OS/2 1.x rows are always bottom-up
        in.skip(2);             // planes
        info.bitsPerPixel = in.u16();
        return info;
    }

    info.width = in.i32();
    info.height = in.i32();
    in.skip(2); // planes: 1 in every valid file, and meaningless otherwise
    info.bitsPerPixel = in.u16();
    // An OS/2 2.x header ends after any of the following fields; a missing one keeps its default.
    const auto has = [&](std::uint32_t end) { return info.size >= end; };
    if (has(20))
        info.compression = in.u32();
    if (has(36)) {
        in.skip(4); // image size: often 0 or wrong; the size follows from width, height and depth
        in.skip(8); // resolution: not used
        info.coloursUsed = in.u32();
    }
    if (info.kind == HeaderKind::Windows && has(kV2HeaderSize)) {
        in.skip(4); // important colours
        info.masksInHeader = true;
        for (std::uint32_t& mask : info.masks)
            mask = in.u32();
    }
    return info;
}

void CheckDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return;
    default:
        throw PictureError("bitmaps of " + std::to_string(bitsPerPixel) +
                           " bits per pixel are not supported (only 1, 2, 4, 8, 16, 24 and 32)");
    }
}

std::string CompressionNeeds(const char* name, const std::string& depths, int bitsPerPixel)
{
    return std::string(name) + " compression needs " + depths + " bits per pixel, not " + std::to_string(bitsPerPixel);
}

// Picks the decoder for a compression and depth, refusing methods we do not decode by name.
BmpPixelFormat ChooseFormat(const InfoFields& info)
{
    const bool os2 = info.kind == HeaderKind::Os2V2;
    const int bits = info.bitsPerPixel;
    switch (info.compression) {
    case kBiRgb:
        CheckDepth(bits);
        if (bits <= 8)
            return BmpPixelFormat::Indexed;
        return bits == 24 ? BmpPixelFormat::Rgb24 : BmpPixelFormat::BitFields;
    case kBiRle8:
        if (bits != 8)
            throw PictureError(CompressionNeeds("RLE8", "8", bits));
        return BmpPixelFormat::Rle8;
    case kBiRle4:
        if (bits != 4)
            throw PictureError(CompressionNeeds("RLE4", "4", bits));
        return BmpPixelFormat::Rle4;
    case kBiBitFields:
    case kBiAlphaBitFields:
        if (os2 && info.compression == kBiBitFields)
            throw PictureError("OS/2 Huffman 1-D compression (compression 3 in an OS/2 2.x header) is not supported");
        if (bits != 16 && bits != 32)
            throw PictureError(CompressionNeeds("bit-field", "16 or 32", bits));
        return BmpPixelFormat::BitFields;
    case kBiJpeg:
        if (os2)
            throw PictureError("OS/2 RLE24 compression (compression 4 in an OS/2 2.x header) is not supported");
        throw PictureError("bitmaps that hold a JPEG picture (compression 4, BI_JPEG) are not supported");
    case kBiPng:
        throw PictureError("bitmaps that hold a PNG picture (compression 5, BI_PNG) are not supported");
    default:
        throw PictureError("unknown bitmap compression " + std::to_string(info.compression));
    }
}

void SetSize(const InfoFields& info, BmpHeader& header)
{
    // Negating the most negative height would overflow a 32-bit row count.
    if (info.height == std::numeric_limits<std::int32_t>::min())
        throw PictureError("bitmap height " + std::to_string(info.height) + " is not valid");
    header.topDown = info.height < 0;
    const std::int64_t rows = header.topDown ? -info.height : info.height;
    CheckPictureSize(info.width, rows);
    header.width = static_cast<int>(info.width);
    header.height = static_cast<int>(rows);
}

// The masks of BI_BITFIELDS sit inside a V2 or later header and right after a 40-byte one;
// BI_RGB implies 5-5-5 at 16 bits and 8-8-8 at 32 bits.
std::size_t SetMasks(std::span<const std::uint8_t> file, const InfoFields& info, BmpHeader& header)
{
    const std::size_t headersEnd = kFileHeaderSize + info.size;
    if (header.format != BmpPixelFormat::BitFields)
        return headersEnd;
    if (info.compression == kBiRgb) {
        header.masks = header.bitsPerPixel == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                                                 : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
        return headersEnd;
    }
    if (info.masksInHeader) {
        header.masks = info.masks;
        return headersEnd;
    }
    ByteReader in(file, headersEnd, "bitmap colour masks");
    for (std::uint32_t& mask : header.masks)
        mask = in.u32();
    if (info.compression == kBiAlphaBitFields)
        in.skip(4); // alpha is not used
    return in.offset();
}

void SetPixelOffset(std::uint64_t fileSize, std::size_t pixelOffset, BmpHeader& header)
{
    if (pixelOffset > fileSize)
        throw PictureError("bitmap data offset lies beyond the end of the file (offset " + std::to_string(pixelOffset) +
                           ", file size " + std::to_string(fileSize) + ")");
    if (pixelOffset < header.paletteOffset)
        throw PictureError("bitmap data offset " + std::to_string(pixelOffset) + " lies inside the headers, which end at " +
                           std::to_string(header.paletteOffset));
    header.pixelOffset = pixelOffset;
}

// The palette lies between the headers and the pixel data. A count the file states must fit
// there; an implied one (2^bits) is cut to what fits, as writers of short palettes expect.
void SetPalette(const InfoFields& info, BmpHeader& header)
{
    if (header.bitsPerPixel > 8)
        return; // a palette of a true-colour bitmap is only a hint for old displays
    header.paletteEntrySize = info.kind == HeaderKind::Os2Core ? 3 : 4;
    const std::size_t indices = std::size_t{1} << header.bitsPerPixel;
    const std::size_t room = (header.pixelOffset - header.paletteOffset) / header.paletteEntrySize;
    if (info.coloursUsed == 0) {
        header.paletteEntries = std::min(indices, room);
        return;
    }
    if (info.coloursUsed > room)
        throw PictureError("the bitmap palette of " + std::to_string(info.coloursUsed) +
                           " colours runs past the start of the pixel data");
    header.paletteEntries = std::min<std::size_t>(info.coloursUsed, indices);
}

} // namespace

BmpHeader ReadBmpHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize)
{
    const std::span<const std::uint8_t> file = head.first(static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), fileSize)));
    const std::size_t pixelOffset = ReadFileHeader(file);
    const InfoFields info = ReadInfoHeader(file);

    BmpHeader header;
    header.fileSize = fileSize;
    header.infoHeaderSize = info.size;
    header.bitsPerPixel = info.bitsPerPixel;
    header.format = ChooseFormat(info);
    SetSize(info, header);
    header.paletteOffset = SetMasks(file, info, header);
    SetPixelOffset(fileSize, pixelOffset, header);
    SetPalette(info, header);
    return header;
}

} // namespace velmora
