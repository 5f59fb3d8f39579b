#include "bmp_codec.h"

#include "bmp_header.h"
#include "picture_budget.h"
#include "picture_error.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// A file held in memory.
class MemorySource : public BmpSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    void read(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// Bytes read one at a time from `offset` to the end of the file, fetched in blocks.
class ByteStream {
public:
    ByteStream(BmpSource& source, std::uint64_t offset)
        : source_(source), next_(offset), remaining_(source.size() - offset)
    {
    }

    std::uint64_t remaining() const { return remaining_; }

    // The caller checks remaining() first.
    std::uint8_t next()
    {
        if (at_ == block_.size())
            fetch();
        --remaining_;
        return block_[at_++];
    }

    void skip(std::uint64_t count)
    {
        for (; count > 0 && remaining_ > 0; --count)
            next();
    }

private:
    void fetch()
    {
        constexpr std::uint64_t kBlockBytes = 64 * 1024;
        block_.resize(static_cast<std::size_t>(std::min(kBlockBytes, remaining_)));
        source_.read(next_, block_);
        next_ += block_.size();
        at_ = 0;
    }

    BmpSource& source_;
    std::uint64_t next_;      // file offset of the next block
    std::uint64_t remaining_; // bytes not yet handed out
    std::vector<std::uint8_t> block_;
    std::size_t at_ = 0;
};

// One colour for every index the depth can hold; indices past the file's palette are black, so a
// pixel never reads outside the table.
std::vector<Color> ReadColourTable(std::span<const std::uint8_t> head, const BmpHeader& header)
{
    std::vector<Color> table(std::size_t{1} << header.bitsPerPixel, kBlack);
    ByteReader in(head, header.paletteOffset, "bitmap palette");
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

// Decodes every row with `decodeRow(source bytes, target row)`, reading about a megabyte of rows
// at a time. The pixel data must hold every row; the padding after the last one may be missing.
template <typename DecodeRow>
Bitmap DecodeRows(BmpSource& file, const BmpHeader& header, DecodeRow decodeRow)
{
    const RowLayout layout = LayoutOf(header);
    const std::uint64_t needed = layout.stride * static_cast<std::uint64_t>(header.height - 1) + layout.rowBytes;
    const std::uint64_t available = file.size() - header.pixelOffset;
    if (available < needed)
        throw PictureError("bitmap pixel data ends after " + std::to_string(available) + " of " +
                           std::to_string(needed) + " bytes");

    Bitmap bitmap(header.width, header.height);
    constexpr std::uint64_t kBlockBytes = 1 << 20;
    const std::uint64_t rowsPerBlock = std::max<std::uint64_t>(1, kBlockBytes / layout.stride);
    std::vector<std::uint8_t> block;
    for (std::uint64_t first = 0; first < static_cast<std::uint64_t>(header.height); first += rowsPerBlock) {
        const std::uint64_t rows = std::min(rowsPerBlock, static_cast<std::uint64_t>(header.height) - first);
        const std::uint64_t start = layout.stride * first;
        block.resize(static_cast<std::size_t>(std::min(layout.stride * rows, available - start)));
        file.read(header.pixelOffset + start, block);
        for (std::uint64_t r = 0; r < rows; ++r) {
            const auto source = std::span<const std::uint8_t>(block).subspan(
                static_cast<std::size_t>(layout.stride * r), static_cast<std::size_t>(layout.rowBytes));
            decodeRow(source, bitmap.row(TargetRow(header, static_cast<std::int64_t>(first + r))));
        }
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
        const std::uint64_t value = (pixel & mask_) >> shift_;
        if (max_ == 255) // the common 8-bit channel needs no scaling
            return static_cast<int>(value);
        if (max_ == 0)
            return 0;
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

// A run-length coded picture is filled in full before its stream is read, so its data must be in
// proportion to its size.
void CheckRleDataSuffices(const BmpHeader& header)
{
    const std::uint64_t dataBytes = header.fileSize - header.pixelOffset;
    const std::uint64_t pictureBytes = std::uint64_t{4} * static_cast<std::uint64_t>(header.width) *
                                       static_cast<std::uint64_t>(header.height);
    if (!CodedDataSuffices(pictureBytes, dataBytes))
        throw PictureError("the run-length coded bitmap data of " + std::to_string(dataBytes) +
                           " bytes is too short for a " + std::to_string(header.width) + " × " +
                           std::to_string(header.height) + " picture");
}

// RLE8 and RLE4 streams: pairs (count, value) give a run of `count` pixels; a zero count starts an
// escape — end of line, end of bitmap, delta, or an absolute run padded to a 16-bit boundary.
// Every step consumes input, so even a hostile stream ends; one that stops early, without an
// end-of-bitmap code, ends the picture there.
Bitmap DecodeRle(BmpSource& file, const BmpHeader& header, const std::vector<Color>& table)
{
    constexpr std::uint8_t kEndOfLine = 0;
    constexpr std::uint8_t kEndOfBitmap = 1;
    constexpr std::uint8_t kDelta = 2;

    CheckRleDataSuffices(header);
    const bool nibbles = header.format == BmpPixelFormat::Rle4;
    const auto nibble = [](std::uint8_t byte, std::size_t i) { return i % 2 == 0 ? byte >> 4 : byte & 0x0Fu; };

    RleCanvas canvas(header, table);
    ByteStream in(file, header.pixelOffset);
    std::array<std::uint8_t, 128> absolute{}; // the bytes of an absolute run: at most 255 indices
    while (in.remaining() >= 2 && !canvas.full()) {
        const std::uint8_t count = in.next();
        const std::uint8_t value = in.next();
        if (count > 0) {
            for (std::size_t i = 0; i < count; ++i)
                canvas.put(nibbles ? nibble(value, i) : value);
        } else if (value == kEndOfLine) {
            canvas.endLine();
        } else if (value == kEndOfBitmap) {
            break;
        } else if (value == kDelta) {
            if (in.remaining() < 2)
                break;
            const std::uint8_t dx = in.next();
            const std::uint8_t dy = in.next();
            canvas.move(dx, dy);
        } else if (nibbles) {
            const std::size_t bytes = (value + 1u) / 2;
            if (in.remaining() < bytes)
                break;
            for (std::size_t i = 0; i < bytes; ++i)
                absolute[i] = in.next();
            for (std::size_t i = 0; i < value; ++i)
                canvas.put(nibble(absolute[i / 2], i));
            in.skip(bytes % 2);
        } else {
            if (in.remaining() < value)
                break;
            for (std::size_t i = 0; i < value; ++i)
                canvas.put(in.next());
            in.skip(value % 2);
        }
    }
    return canvas.take();
}

} // namespace

Bitmap DecodeBmp(BmpSource& file)
{
    // Only the first bytes are read before the headers are accepted: a large file of something
    // else is refused at once.
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kBmpHeadBytes)));
    file.read(0, head);
    const BmpHeader header = ReadBmpHeader(head, file.size());

    Bitmap bitmap;
    switch (header.format) {
    case BmpPixelFormat::Indexed: {
        const std::vector<Color> table = ReadColourTable(head, header);
        bitmap = DecodeRows(file, header, [&](auto source, auto target) {
            DecodeIndexedRow(source, header.bitsPerPixel, table, target);
        });
        break;
    }
    case BmpPixelFormat::Rle8:
    case BmpPixelFormat::Rle4:
        bitmap = DecodeRle(file, header, ReadColourTable(head, header));
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

Bitmap DecodeBmp(std::span<const std::uint8_t> file)
{
    MemorySource source(file);
    return DecodeBmp(source);
}

} // namespace velmora
