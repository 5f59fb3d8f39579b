#include "bmp_codec.h"

#include "bmp_header.h"
#include "picture_error.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// One colour for every index the depth can hold; indices past the file's palette are black, so a
// pixel never reads outside the table.
std::vector<Color> ReadColourTable(std::span<const std::uint8_t> file, const BmpHeader& header)
{
    std::vector<Color> table(std::size_t{1} << header.bitsPerPixel, kBlack);
    ByteReader in(file, header.paletteOffset, "bitmap palette");
    for (std::size_t i = 0; i < header.paletteEntries; ++i) {
        const int blue = in.u8();
        const int green = in.u8();
        const int red = in.u8();
        if (header.paletteEntrySize == 4)
            in.skip(1);
        table[i] = MakeColor(red, green, blue);
    }
    return table;
}

// Rows are stored bottom-up unless the height was negative.
int TargetRow(const BmpHeader& header, std::int64_t fileRow)
{
    return static_cast<int>(header.topDown ? fileRow : header.height - 1 - fileRow);
}

// ---- Uncompressed rows ----

struct RowLayout {
    std::uint64_t stride;   // bytes from one row to the next, a multiple of 4
    std::uint64_t rowBytes; // bytes that hold pixels
};

RowLayout LayoutOf(const BmpHeader& header)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.bitsPerPixel);
    return {(bits + 31) / 32 * 4, (bits + 7) / 8};
}

// Decodes every row with `decodeRow(source bytes, target row)`. The pixel data must hold every
// row; the padding after the last one may be missing.
template <typename DecodeRow>
Bitmap DecodeRows(std::span<const std::uint8_t> file, const BmpHeader& header, DecodeRow decodeRow)
{
    const RowLayout layout = LayoutOf(header);
    const std::uint64_t needed = layout.stride * static_cast<std::uint64_t>(header.height - 1) + layout.rowBytes;
    const std::span<const std::uint8_t> data = file.subspan(header.pixelOffset);
    if (data.size() < needed)
        throw PictureError("bitmap pixel data ends after " + std::to_string(data.size()) + " of " +
                           std::to_string(needed) + " bytes");

    Bitmap bitmap(header.width, header.height);
    for (int y = 0; y < header.height; ++y) {
        const auto start = static_cast<std::size_t>(layout.stride * static_cast<std::uint64_t>(y));
        decodeRow(data.subspan(start, static_cast<std::size_t>(layout.rowBytes)), bitmap.row(TargetRow(header, y)));
    }
    return bitmap;
}

// 1, 2, 4 or 8 bits per pixel, the leftmost pixel in the highest bits of a byte.
void DecodeIndexedRow(std::span<const std::uint8_t> source, int bits, const std::vector<Color>& table,
                      std::span<Color> target)
{
    const unsigned mask = (1u << bits) - 1;
    const int perByte = 8 / bits;
    for (std::size_t x = 0; x < target.size(); ++x) {
        const unsigned byte = source[x / static_cast<std::size_t>(perByte)];
        const int slot = static_cast<int>(x % static_cast<std::size_t>(perByte));
        target[x] = table[(byte >> (8 - bits * (slot + 1))) & mask];
    }
}

void DecodeRgb24Row(std::span<const std::uint8_t> source, std::span<Color> target)
{
    for (std::size_t x = 0; x < target.size(); ++x)
        target[x] = MakeColor(source[3 * x + 2], source[3 * x + 1], source[3 * x]);
}

// One colour channel of a 16- or 32-bit pixel, scaled so that its brightest value becomes 255.
// A mask need not be contiguous or 8 bits wide (5-6-5, 10-10-10, 2-3-1 …); a zero mask gives 0.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask >> shift_)
    {
    }

    int operator()(std::uint32_t pixel) const
    {
        if (max_ == 0)
            return 0;
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<int>((value * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_;
    int shift_;
    std::uint64_t max_;
};

void DecodeBitFieldRow(std::span<const std::uint8_t> source, int bits, const std::array<Channel, 3>& channels,
                       std::span<Color> target)
{
    const std::size_t bytes = static_cast<std::size_t>(bits / 8);
    for (std::size_t x = 0; x < target.size(); ++x) {
        const std::uint8_t* p = source.data() + bytes * x;
        std::uint32_t pixel = p[0] | (std::uint32_t{p[1]} << 8);
        if (bytes == 4)
            pixel |= (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
        target[x] = MakeColor(channels[0](pixel), channels[1](pixel), channels[2](pixel));
    }
}

// ---- Run-length coded rows ----

// Writes decoded indices at a moving position, dropping those that fall outside the picture.
class RleCanvas {
public:
    RleCanvas(const BmpHeader& header, const std::vector<Color>& table)
        // Pixels the stream skips or never reaches keep the first palette colour.
        : header_(header), table_(table), bitmap_(header.width, header.height, table.front())
    {
    }

    void put(unsigned index)
    {
        if (x_ < header_.width && row_ < header_.height)
            bitmap_.setPixel(static_cast<int>(x_), TargetRow(header_, row_), table_[index]);
        ++x_;
    }
    void endLine()
    {
        x_ = 0;
        ++row_;
    }
    void move(int dx, int dy)
    {
        x_ += dx;
        row_ += dy;
    }
    bool full() const { return row_ >= header_.height; }
    Bitmap take() { return std::move(bitmap_); }

private:
    const BmpHeader& header_;
    const std::vector<Color>& table_;
    Bitmap bitmap_;
    // 64 bits: runs and deltas past the edge move on unchecked, at most 255 per input byte.
    std::int64_t x_ = 0;
    std::int64_t row_ = 0;
};

// RLE8 and RLE4 streams: pairs (count, value) give a run of `count` pixels; a zero count starts an
// escape — end of line, end of bitmap, delta, or an absolute run padded to a 16-bit boundary.
// Every step consumes input, so even a hostile stream ends; one that stops early, without an
// end-of-bitmap code, ends the picture there.
Bitmap DecodeRle(std::span<const std::uint8_t> file, const BmpHeader& header, const std::vector<Color>& table)
{
    constexpr std::uint8_t kEndOfLine = 0;
    constexpr std::uint8_t kEndOfBitmap = 1;
    constexpr std::uint8_t kDelta = 2;

    const bool nibbles = header.format == BmpPixelFormat::Rle4;
    const std::span<const std::uint8_t> data = file.subspan(header.pixelOffset);
    const auto nibble = [](std::uint8_t byte, std::size_t i) { return i % 2 == 0 ? byte >> 4 : byte & 0x0Fu; };

    RleCanvas canvas(header, table);
    std::size_t at = 0;
    while (data.size() - at >= 2 && !canvas.full()) {
        const std::uint8_t count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (std::size_t i = 0; i < count; ++i)
                canvas.put(nibbles ? nibble(value, i) : value);
        } else if (value == kEndOfLine) {
            canvas.endLine();
        } else if (value == kEndOfBitmap) {
            break;
        } else if (value == kDelta) {
            if (data.size() - at < 2)
                break;
            canvas.move(data[at], data[at + 1]);
            at += 2;
        } else {
            const std::size_t bytes = nibbles ? (value + 1u) / 2 : value;
            if (data.size() - at < bytes)
                break;
            for (std::size_t i = 0; i < value; ++i)
                canvas.put(nibbles ? nibble(data[at + i / 2], i) : data[at + i]);
            at += bytes + bytes % 2;
            at = std::min(at, data.size());
        }
    }
    return canvas.take();
}

} // namespace

Bitmap DecodeBmp(std::span<const std::uint8_t> file)
{
    const BmpHeader header = ReadBmpHeader(file);
    Bitmap bitmap;
    switch (header.format) {
    case BmpPixelFormat::Indexed: {
        const std::vector<Color> table = ReadColourTable(file, header);
        bitmap = DecodeRows(file, header, [&](auto source, auto target) {
            DecodeIndexedRow(source, header.bitsPerPixel, table, target);
        });
        break;
    }
    case BmpPixelFormat::Rle8:
    case BmpPixelFormat::Rle4:
        bitmap = DecodeRle(file, header, ReadColourTable(file, header));
        break;
    case BmpPixelFormat::Rgb24:
        bitmap = DecodeRows(file, header, DecodeRgb24Row);
        break;
    case BmpPixelFormat::BitFields: {
        const std::array<Channel, 3> channels{Channel(header.masks[0]), Channel(header.masks[1]), Channel(header.masks[2])};
        bitmap = DecodeRows(file, header, [&](auto source, auto target) {
            DecodeBitFieldRow(source, header.bitsPerPixel, channels, target);
        });
        break;
    }
    }
    bitmap.setSourceBitsPerPixel(header.bitsPerPixel);
    return bitmap;
}

} // namespace velmora
