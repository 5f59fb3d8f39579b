#include "exif_orientation.h"

#include <cstring>
#include <optional>
#include <utility>

namespace velmora {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

// The TIFF structure inside an EXIF block, read with its byte order, every read checked against
// the block's end.
class TiffView {
public:
    explicit TiffView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool readByteOrder()
    {
        if (bytes_.size() < 8)
            return false;
        if (bytes_[0] == 'I' && bytes_[1] == 'I')
            bigEndian_ = false;
        else if (bytes_[0] == 'M' && bytes_[1] == 'M')
            bigEndian_ = true;
        else
            return false;
        return u16(2) == std::optional<std::uint32_t>(42);
    }

    std::optional<std::uint32_t> u16(std::uint64_t at) const
    {
        if (at + 2 > bytes_.size())
            return std::nullopt;
        const std::uint32_t a = bytes_[at], b = bytes_[at + 1];
        return bigEndian_ ? (a << 8 | b) : (b << 8 | a);
    }

    std::optional<std::uint32_t> u32(std::uint64_t at) const
    {
        const auto high = u16(bigEndian_ ? at : at + 2);
        const auto low = u16(bigEndian_ ? at + 2 : at);
        if (!high || !low)
            return std::nullopt;
        return *high << 16 | *low;
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_ = false;
};

// The orientation tag of the first picture directory (IFD0) of an EXIF block's TIFF structure.
int OrientationOf(std::span<const std::uint8_t> tiffBytes)
{
    TiffView tiff(tiffBytes);
    if (!tiff.readByteOrder())
        return 1;
    const auto directory = tiff.u32(4);
    if (!directory)
        return 1;
    const auto entries = tiff.u16(*directory);
    if (!entries)
        return 1;
    for (std::uint32_t i = 0; i < *entries; ++i) {
        const std::uint64_t entry = *directory + 2 + std::uint64_t{12} * i;
        const auto tag = tiff.u16(entry);
        if (!tag)
            return 1;
        if (*tag != kOrientationTag)
            continue;
        const auto type = tiff.u16(entry + 2);
        const auto count = tiff.u32(entry + 4);
        const auto value = tiff.u16(entry + 8);
        if (type != std::optional<std::uint32_t>(kShortType) || count != std::optional<std::uint32_t>(1) || !value ||
            *value < 1 || *value > 8)
            return 1;
        return static_cast<int>(*value);
    }
    return 1;
}

} // namespace

int JpegExifOrientation(std::span<const std::uint8_t> jpeg)
{
    // The EXIF block is an APP1 segment among the markers before the first scan.
    const std::size_t n = jpeg.size();
    std::size_t at = 2;
    while (at + 4 <= n && jpeg[at] == 0xFF) {
        const std::uint8_t code = jpeg[at + 1];
        if (code == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (code == 0xDA || code == 0xD9) // start of scan, end of image
            break;
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
        if (length < 2 || at + 2 + length > n)
            break;
        const std::span<const std::uint8_t> segment = jpeg.subspan(at + 4, length - 2);
        if (code == 0xE1 && segment.size() >= 6 && std::memcmp(segment.data(), "Exif\0\0", 6) == 0)
            return OrientationOf(segment.subspan(6));
        at += 2 + length;
    }
    return 1;
}

Bitmap TurnUpright(Bitmap stored, int orientation)
{
    if (orientation < 2 || orientation > 8)
        return stored;
    const int w = stored.width();
    const int h = stored.height();
    // 5 to 8 turn a quarter, so the sides swap.
    const bool swap = orientation >= 5;
    Bitmap upright(swap ? h : w, swap ? w : h, Bitmap::Unfilled{});
    upright.setSourceBitsPerPixel(stored.sourceBitsPerPixel());
    for (int y = 0; y < upright.height(); ++y) {
        const std::span<Color> row = upright.row(y);
        for (int x = 0; x < upright.width(); ++x) {
            // The stored pixel shown at (x, y) once upright.
            int sx = x, sy = y;
            switch (orientation) {
            case 2: sx = w - 1 - x; break;                      // mirrored left to right
            case 3: sx = w - 1 - x; sy = h - 1 - y; break;      // upside down
            case 4: sy = h - 1 - y; break;                      // mirrored top to bottom
            case 5: sx = y; sy = x; break;                      // mirrored along the main diagonal
            case 6: sx = y; sy = h - 1 - x; break;              // to be turned a quarter clockwise
            case 7: sx = w - 1 - y; sy = h - 1 - x; break;      // mirrored along the other diagonal
            case 8: sx = w - 1 - y; sy = x; break;              // to be turned a quarter anticlockwise
            default: break;
            }
            row[static_cast<std::size_t>(x)] = stored.pixel(sx, sy);
        }
    }
    return upright;
}

} // namespace velmora
