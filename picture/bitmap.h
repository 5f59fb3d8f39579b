#pragma once

#include "color.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace velmora {

// Largest pictures the program accepts. A side of 32768 pixels and 16384 × 16384 pixels in all
// (1 GiB of 32-bit pixels) is far beyond any picture worth a cross-stitch chart, yet small enough
// that a lying header can never make us allocate more than that.
constexpr int kMaxPictureSide = 32768;
constexpr std::int64_t kMaxPicturePixels = std::int64_t{16384} * 16384;

// Throws PictureError when width × height is not a picture we are willing to allocate.
void CheckPictureSize(std::int64_t width, std::int64_t height);

// Leaves a new element of a plain type as it is instead of zeroing it: for storage that is
// written in full before it is read.
template <typename T>
struct LeaveNewAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = LeaveNewAllocator<U>;
    };
    using std::allocator<T>::allocator;
    LeaveNewAllocator() = default;
    template <typename U>
    LeaveNewAllocator(const LeaveNewAllocator<U>&) noexcept
    {
    }
    template <typename U>
    void construct(U* element) noexcept
    {
        ::new (static_cast<void*>(element)) U;
    }
    template <typename U, typename... Args>
    void construct(U* element, Args&&... args)
    {
        ::new (static_cast<void*>(element)) U(std::forward<Args>(args)...);
    }
};

// W × H pixels of 32 bits, each a Color (R + 256·G + 65536·B), row 0 at the top.
// It remembers the bits per pixel of the file it was read from: a two-colour 1-bit source
// stretches differently from any other.
class Bitmap {
public:
    // Asks for a picture whose pixels the caller writes every one of: no time goes into clearing
    // them first. What a pixel holds before it is written is unspecified.
    struct Unfilled {};

    Bitmap() = default;
    Bitmap(int width, int height, Color fill = kBlack);
    Bitmap(int width, int height, Unfilled);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }

    int sourceBitsPerPixel() const { return sourceBitsPerPixel_; }
    void setSourceBitsPerPixel(int bits) { sourceBitsPerPixel_ = bits; }

    Color pixel(int x, int y) const { return pixels_[index(x, y)]; }
    void setPixel(int x, int y, Color c) { pixels_[index(x, y)] = c; }

    std::span<Color> row(int y) { return {pixels_.data() + index(0, y), static_cast<std::size_t>(width_)}; }
    std::span<const Color> row(int y) const
    {
        return {pixels_.data() + index(0, y), static_cast<std::size_t>(width_)};
    }

    std::span<Color> pixels() { return pixels_; }
    std::span<const Color> pixels() const { return pixels_; }

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    int sourceBitsPerPixel_ = 32;
    std::vector<Color, LeaveNewAllocator<Color>> pixels_;
};

} // namespace velmora
