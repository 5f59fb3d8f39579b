#include "error_diffusion.h"

#include "color_distance.h"

#include <cstddef>
#include <stdexcept>

namespace velmora {
namespace {

int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// The share of one component error that a neighbour of weight k receives, already truncated.
struct Share {
    int r, g, b;
    bool any() const { return (r | g | b) != 0; }
};

Share ShareOf(int er, int eg, int eb, int k) { return {er * k / 10, eg * k / 10, eb * k / 10}; }

void Pass(Color& neighbour, Share s)
{
    neighbour = MakeColor(Clamp255(Red(neighbour) - s.r), Clamp255(Green(neighbour) - s.g),
                          Clamp255(Blue(neighbour) - s.b));
}

} // namespace

std::vector<int> DiffuseErrors(Bitmap& picture, std::span<const Color> threadColors, std::span<int> stitches)
{
    if (stitches.size() != threadColors.size())
        throw std::invalid_argument("error diffusion needs one stitch counter per palette entry");
    const NearestThread nearest(threadColors);

    const int width = picture.width();
    const int height = picture.height();
    const auto w = static_cast<std::size_t>(width);
    std::vector<int> entries(picture.pixels().size());
    Color* pixels = picture.pixels().data();

    // A pixel equal to the one mapped just before gets the same entry: the search is
    // deterministic, and flat areas are common.
    Color lastColor = 0;
    int lastEntry = -1;
    for (int y = height - 1; y >= 0; --y) {
        Color* row = pixels + static_cast<std::size_t>(y) * w;
        Color* above = y > 0 ? row - w : nullptr;
        for (int x = width - 1; x >= 0; --x) {
            const auto ux = static_cast<std::size_t>(x);
            const Color c = row[ux] & 0xFFFFFF;
            const int q = (lastEntry >= 0 && c == lastColor) ? lastEntry : nearest.Find(c);
            lastColor = c;
            lastEntry = q;
            const Color t = threadColors[static_cast<std::size_t>(q)];
            row[ux] = t;
            entries[static_cast<std::size_t>(y) * w + ux] = q;
            ++stitches[static_cast<std::size_t>(q)];

            // Pixels of column 0 and row 0 pass nothing on, though neighbours exist.
            if (x == 0 || above == nullptr)
                continue;
            const int er = Red(t) - Red(c), eg = Green(t) - Green(c), eb = Blue(t) - Blue(c);
            const Share straight = ShareOf(er, eg, eb, 3);
            const Share diagonal = ShareOf(er, eg, eb, 2);
            if (straight.any()) {
                Pass(row[ux - 1], straight);
                Pass(above[ux], straight);
            }
            if (diagonal.any()) {
                Pass(above[ux - 1], diagonal);
                if (x + 1 < width)
                    Pass(above[ux + 1], diagonal);
            }
        }
    }
    return entries;
}

} // namespace velmora
