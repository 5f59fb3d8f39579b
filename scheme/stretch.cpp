#include "stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmora {
namespace {

// Source index whose centre lies nearest the centre of target index t.
int SampleOf(int t, int targetSize, int sourceSize)
{
    return static_cast<int>((std::int64_t{2} * t + 1) * sourceSize / (std::int64_t{2} * targetSize));
}

// First source index that target index t stands for; t + 1 gives the end.
int SpanStart(int t, int targetSize, int sourceSize)
{
    return static_cast<int>(std::int64_t{t} * sourceSize / targetSize);
}

std::vector<int> SampleTable(int targetSize, int sourceSize)
{
    std::vector<int> table(static_cast<std::size_t>(targetSize));
    for (int t = 0; t < targetSize; ++t)
        table[static_cast<std::size_t>(t)] = SampleOf(t, targetSize, sourceSize);
    return table;
}

// The source box [x0, x1) × [y0, y1) of each target pixel holds at least one pixel.
bool AnyBlackIn(const Bitmap& source, int x0, int x1, int y0, int y1)
{
    for (int y = y0; y < y1; ++y) {
        auto row = source.row(y);
        if (std::find(row.begin() + x0, row.begin() + x1, kBlack) != row.begin() + x1)
            return true;
    }
    return false;
}

void StretchMonochromeShrink(const Bitmap& source, Bitmap& target)
{
    const int sw = source.width(), sh = source.height();
    const int tw = target.width(), th = target.height();
    for (int y = 0; y < th; ++y) {
        const int y0 = SpanStart(y, th, sh);
        const int y1 = std::max(SpanStart(y + 1, th, sh), y0 + 1);
        const int sy = SampleOf(y, th, sh);
        for (int x = 0; x < tw; ++x) {
            const int x0 = SpanStart(x, tw, sw);
            const int x1 = std::max(SpanStart(x + 1, tw, sw), x0 + 1);
            const Color sampled = source.pixel(SampleOf(x, tw, sw), sy);
            target.setPixel(x, y, AnyBlackIn(source, x0, x1, y0, y1) ? kBlack : sampled);
        }
    }
}

} // namespace

int PointSampleOf(int t, int targetSize, int sourceSize) { return SampleOf(t, targetSize, sourceSize); }

Bitmap StretchPointSampled(const Bitmap& source, int width, int height)
{
    Bitmap target(width, height, Bitmap::Unfilled{}); // every path below writes every pixel
    target.setSourceBitsPerPixel(32);
    const int sw = source.width(), sh = source.height();
    if (sw == width && sh == height) {
        std::copy(source.pixels().begin(), source.pixels().end(), target.pixels().begin());
        return target;
    }
    if (source.sourceBitsPerPixel() == 1 && (width < sw || height < sh)) {
        StretchMonochromeShrink(source, target);
        return target;
    }
    const std::vector<int> columns = SampleTable(width, sw);
    for (int y = 0; y < height; ++y) {
        auto from = source.row(SampleOf(y, height, sh));
        auto to = target.row(y);
        for (int x = 0; x < width; ++x)
            to[static_cast<std::size_t>(x)] = from[static_cast<std::size_t>(columns[static_cast<std::size_t>(x)])];
    }
    return target;
}

} // namespace velmora
