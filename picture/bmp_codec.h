#pragma once

#include "bitmap.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

namespace velmora {

// The bytes of a bitmap file, fetched as the reader needs them: a file on disk is read a block of
// rows at a time and never held whole beside its picture.
class BmpSource {
public:
    virtual ~BmpSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills `out` with the bytes from `offset` on; the reader never asks past size(). Throws
    // PictureError when the bytes cannot be read.
    virtual void read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// Reads a Windows bitmap file. Throws PictureError naming what is wrong. The result remembers
// the file's bits per pixel.
Bitmap DecodeBmp(BmpSource& file);
Bitmap DecodeBmp(std::span<const std::uint8_t> file);

// The 24-bit, bottom-up bitmap file of `bitmap` (BITMAPINFOHEADER, no compression).
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);
// The same bytes handed to `write` in pieces, in order: a large picture's file is never held whole.
void EncodeBmp24(const Bitmap& bitmap, const std::function<void(std::span<const std::uint8_t>)>& write);

} // namespace velmora
