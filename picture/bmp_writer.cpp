#include "bmp_codec.h"

#include <algorithm>

namespace velmora {
namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
// 2835 pixels per metre is 72 dots per inch, what most programs write.
constexpr std::uint32_t kPixelsPerMetre = 2835;

} // namespace

std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap)
{
    std::vector<std::uint8_t> file;
    EncodeBmp24(bitmap, [&](std::span<const std::uint8_t> piece) { file.insert(file.end(), piece.begin(), piece.end()); });
    return file;
}

void EncodeBmp24(const Bitmap& bitmap, const std::function<void(std::span<const std::uint8_t>)>& write)
{
    const auto width = static_cast<std::uint32_t>(bitmap.width());
    const auto height = static_cast<std::uint32_t>(bitmap.height());
    const std::uint32_t stride = (width * 3 + 3) & ~std::uint32_t{3};
    const std::uint32_t pixelBytes = stride * height;
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    // Rows go to the writer in pieces of at least this many bytes.
    constexpr std::size_t kPieceBytes = 64 * 1024;

    std::vector<std::uint8_t> out;
    out.reserve(std::max<std::size_t>(offset + stride, kPieceBytes + stride));
    out.push_back('B');
    out.push_back('M');
    PutU32(out, offset + pixelBytes);
    PutU32(out, 0);
    PutU32(out, offset);

    PutU32(out, kInfoHeaderSize);
    PutU32(out, width);
    PutU32(out, height); // positive: rows are stored bottom-up
    PutU16(out, 1);      // planes
    PutU16(out, 24);     // bits per pixel
    PutU32(out, 0);      // BI_RGB
    PutU32(out, pixelBytes);
    PutU32(out, kPixelsPerMetre);
    PutU32(out, kPixelsPerMetre);
    PutU32(out, 0); // colours used
    PutU32(out, 0); // important colours

    for (int y = bitmap.height() - 1; y >= 0; --y) {
        if (out.size() >= kPieceBytes) {
            write(out);
            out.clear();
        }
        for (const Color c : bitmap.row(y)) {
            out.push_back(static_cast<std::uint8_t>(Blue(c)));
            out.push_back(static_cast<std::uint8_t>(Green(c)));
            out.push_back(static_cast<std::uint8_t>(Red(c)));
        }
        out.resize(out.size() + (stride - width * 3), 0);
    }
    write(out);
}

} // namespace velmora
