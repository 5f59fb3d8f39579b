#include "area_average.h"

#include "color_science.h"
#include "stretch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {
namespace {

// The source pixels of one target pixel along one side, with their shares (adding up to 1).
struct Footprint {
    int first = 0;
    std::vector<float> weights;
};

// Target index t covers the source interval [t·S/T, (t + 1)·S/T); a side that does not shrink
// takes the one pixel the point-sampled stretch takes.
std::vector<Footprint> Footprints(int targetSize, int sourceSize)
{
    std::vector<Footprint> footprints(static_cast<std::size_t>(targetSize));
    for (int t = 0; t < targetSize; ++t) {
        Footprint& f = footprints[static_cast<std::size_t>(t)];
        if (targetSize >= sourceSize) {
            f.first = PointSampleOf(t, targetSize, sourceSize);
            f.weights = {1.0F};
            continue;
        }
        // In units of 1/targetSize of a source pixel the interval is [t·S, (t + 1)·S): integers,
        // so the shares are exact fractions.
        const std::int64_t begin = std::int64_t{t} * sourceSize, end = begin + sourceSize;
        f.first = static_cast<int>(begin / targetSize);
        for (std::int64_t s = f.first; s * targetSize < end; ++s) {
            const std::int64_t lo = std::max(begin, s * targetSize), hi = std::min(end, (s + 1) * targetSize);
            f.weights.push_back(static_cast<float>(static_cast<double>(hi - lo) / static_cast<double>(sourceSize)));
        }
    }
    return footprints;
}

struct Rgb {
    float r, g, b;
};

Rgb Channels(Color c, AverageIn space)
{
    if (space == AverageIn::LinearLight)
        return {SrgbToLinear(Red(c)), SrgbToLinear(Green(c)), SrgbToLinear(Blue(c))};
    return {static_cast<float>(Red(c)), static_cast<float>(Green(c)), static_cast<float>(Blue(c))};
}

int Component(float v, AverageIn space)
{
    if (space == AverageIn::LinearLight)
        return LinearToSrgb(v);
    const int k = static_cast<int>(v + 0.5F);
    return k < 0 ? 0 : (k > 255 ? 255 : k);
}

} // namespace

Bitmap StretchAreaAverage(const Bitmap& source, int width, int height, AverageIn space)
{
    const int sw = source.width(), sh = source.height();
    const std::vector<Footprint> columns = Footprints(width, sw), rows = Footprints(height, sh);

    // Columns first: each source row that some target row reads becomes a row of `width` sums.
    std::vector<Rgb> narrowed(static_cast<std::size_t>(width) * static_cast<std::size_t>(sh));
    std::vector<bool> needed(static_cast<std::size_t>(sh), false);
    for (const Footprint& f : rows) {
        for (std::size_t k = 0; k < f.weights.size(); ++k)
            needed[static_cast<std::size_t>(f.first) + k] = true;
    }
    for (int y = 0; y < sh; ++y) {
        if (!needed[static_cast<std::size_t>(y)])
            continue;
        const auto in = source.row(y);
        Rgb* out = narrowed.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            const Footprint& f = columns[static_cast<std::size_t>(x)];
            Rgb sum{0.0F, 0.0F, 0.0F};
            for (std::size_t k = 0; k < f.weights.size(); ++k) {
                const Rgb c = Channels(in[static_cast<std::size_t>(f.first) + k] & 0xFFFFFF, space);
                sum.r += f.weights[k] * c.r;
                sum.g += f.weights[k] * c.g;
                sum.b += f.weights[k] * c.b;
            }
            out[x] = sum;
        }
    }

    Bitmap target(width, height, Bitmap::Unfilled{});
    target.setSourceBitsPerPixel(32);
    for (int y = 0; y < height; ++y) {
        const Footprint& f = rows[static_cast<std::size_t>(y)];
        auto out = target.row(y);
        for (int x = 0; x < width; ++x) {
            Rgb sum{0.0F, 0.0F, 0.0F};
            for (std::size_t k = 0; k < f.weights.size(); ++k) {
                const Rgb& c = narrowed[(static_cast<std::size_t>(f.first) + k) * static_cast<std::size_t>(width) +
                                        static_cast<std::size_t>(x)];
                sum.r += f.weights[k] * c.r;
                sum.g += f.weights[k] * c.g;
                sum.b += f.weights[k] * c.b;
            }
            out[static_cast<std::size_t>(x)] =
                MakeColor(Component(sum.r, space), Component(sum.g, space), Component(sum.b, space));
        }
    }
    return target;
}

} // namespace velmora
