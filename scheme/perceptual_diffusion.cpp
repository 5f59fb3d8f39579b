#include "perceptual_diffusion.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace velmora {
namespace {

// The largest error, in linear light per component, that a pixel passes on.
constexpr float kMaxError = 1.0F / 3.0F;

struct Rgb {
    float r = 0, g = 0, b = 0;
};

float Clamp01(float v) { return v < 0.0F ? 0.0F : (v > 1.0F ? 1.0F : v); }
float ClampError(float v) { return std::clamp(v, -kMaxError, kMaxError); }

// The entry of each 24-bit colour met so far. Diffused colours are rounded to 24 bits for the
// lookup: the ΔE00 search runs once per colour, not once per pixel.
class EntryCache {
public:
    explicit EntryCache(std::size_t pixels)
    {
        std::size_t capacity = 1024;
        while (capacity < 2 * pixels && capacity < (std::size_t{1} << 24))
            capacity *= 2;
        keys_.assign(capacity, kEmpty);
        entries_.resize(capacity);
    }

    template <typename Compute>
    std::uint8_t Find(Color c, Compute compute)
    {
        const std::size_t mask = keys_.size() - 1;
        // Fibonacci hashing spreads neighbouring colours over the table.
        std::size_t slot = static_cast<std::size_t>((std::uint64_t{c} * 0x9E3779B97F4A7C15ULL) >> 40) & mask;
        while (keys_[slot] != kEmpty) {
            if (keys_[slot] == c)
                return entries_[slot];
            slot = (slot + 1) & mask;
        }
        if (++used_ * 4 > keys_.size() * 3) {
            // Full enough to slow down: start afresh rather than grow (answers do not change).
            std::fill(keys_.begin(), keys_.end(), kEmpty);
            used_ = 1;
            slot = static_cast<std::size_t>((std::uint64_t{c} * 0x9E3779B97F4A7C15ULL) >> 40) & mask;
        }
        keys_[slot] = c;
        entries_[slot] = compute();
        return entries_[slot];
    }

private:
    static constexpr Color kEmpty = 0xFFFFFFFFU;
    std::vector<Color> keys_;
    std::vector<std::uint8_t> entries_;
    std::size_t used_ = 0;
};

} // namespace

std::vector<std::uint8_t> DiffusePerceptually(const Bitmap& picture, const NearestByDeltaE& match,
                                              std::span<const Lab> references)
{
    if (references.size() != static_cast<std::size_t>(match.size()) || references.size() > 256)
        throw std::invalid_argument("error diffusion needs the reference colour of every entry");
    std::vector<Rgb> referenceLight(references.size());
    for (std::size_t q = 0; q < references.size(); ++q)
        LabToLinear(references[q], referenceLight[q].r, referenceLight[q].g, referenceLight[q].b);

    const int width = picture.width(), height = picture.height();
    const auto w = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> entries(picture.pixels().size());
    // Errors for the current row and the next, with a pixel of margin on either side.
    std::vector<Rgb> current(w + 2), next(w + 2);
    EntryCache cache(picture.pixels().size());

    for (int y = 0; y < height; ++y) {
        const bool leftToRight = y % 2 == 0;
        const int step = leftToRight ? 1 : -1;
        const auto row = picture.row(y);
        std::fill(next.begin(), next.end(), Rgb{});
        for (int i = 0; i < width; ++i) {
            const int x = leftToRight ? i : width - 1 - i;
            const auto ux = static_cast<std::size_t>(x);
            const Color source = row[ux] & 0xFFFFFF;
            const Rgb& received = current[ux + 1];
            const Rgb v{Clamp01(SrgbToLinear(Red(source)) + received.r),
                        Clamp01(SrgbToLinear(Green(source)) + received.g),
                        Clamp01(SrgbToLinear(Blue(source)) + received.b)};
            const Color rounded = MakeColor(LinearToSrgb(v.r), LinearToSrgb(v.g), LinearToSrgb(v.b));
            const std::uint8_t q = cache.Find(rounded, [&] {
                return static_cast<std::uint8_t>(match.Find(ColorToLab(rounded)).entry);
            });
            entries[static_cast<std::size_t>(y) * w + ux] = q;

            const Rgb& t = referenceLight[q];
            const Rgb e{ClampError(v.r - t.r), ClampError(v.g - t.g), ClampError(v.b - t.b)};
            // Floyd–Steinberg: 7/16 ahead, 3/16 behind below, 5/16 below, 1/16 ahead below.
            auto pass = [](Rgb& to, const Rgb& error, float k) {
                to.r += error.r * k;
                to.g += error.g * k;
                to.b += error.b * k;
            };
            const auto ahead = static_cast<std::size_t>(static_cast<int>(ux) + 1 + step);
            const auto behind = static_cast<std::size_t>(static_cast<int>(ux) + 1 - step);
            pass(current[ahead], e, 7.0F / 16.0F);
            pass(next[behind], e, 3.0F / 16.0F);
            pass(next[ux + 1], e, 5.0F / 16.0F);
            pass(next[ahead], e, 1.0F / 16.0F);
        }
        std::swap(current, next);
    }
    return entries;
}

} // namespace velmora
