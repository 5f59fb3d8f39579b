#include "scheme/color_distance.h"
#include "scheme/error_diffusion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

// The search as written: entry 0 is the first candidate, the entries are visited from the last
// down, and only a strictly smaller distance replaces the candidate.
int NearestByVisiting(const std::vector<Color>& threads, Color c)
{
    int best = 0;
    int bestDistance = ColorDistance(threads[0], c);
    for (int q = static_cast<int>(threads.size()) - 1; q >= 0; --q) {
        const int d = ColorDistance(threads[static_cast<std::size_t>(q)], c);
        if (d < bestDistance) {
            best = q;
            bestDistance = d;
        }
    }
    return best;
}

TEST(ColorDistance, ComponentsAndExtremes)
{
    EXPECT_EQ(ColorDistance(0x000000, 0xFFFFFF), 195075);
    EXPECT_EQ(ColorDistance(MakeColor(1, 2, 3), MakeColor(4, 0, 3)), 9 + 4);
    EXPECT_EQ(BrightnessKey(0xFFFFFF), -765);
    EXPECT_EQ(BrightnessKey(MakeColor(1, 2, 3)), -6);
}

TEST(NearestThread, AgreesWithTheVisitingSearchIncludingTies)
{
    std::mt19937 random(99);
    // Coarse colours make equal distances and repeated thread colours common.
    std::uniform_int_distribution<int> level(0, 4);
    auto coarse = [&] { return MakeColor(level(random) * 60, level(random) * 60, level(random) * 60); };
    for (int size : {1, 2, 3, 8, 33, 100, 391}) {
        SCOPED_TRACE(size);
        std::vector<Color> threads;
        for (int q = 0; q < size; ++q)
            threads.push_back(coarse());
        const NearestThread nearest(threads);
        for (int i = 0; i < 2000; ++i) {
            const Color c = i % 2 == 0 ? coarse() : MakeColor(level(random) * 30, level(random) * 30, 90);
            ASSERT_EQ(nearest.Find(c), NearestByVisiting(threads, c)) << "colour " << c;
        }
    }
    EXPECT_THROW(NearestThread(std::vector<Color>{}), std::invalid_argument);
    EXPECT_THROW(NearestThread(std::vector<Color>(392)), std::invalid_argument);
}

TEST(DiffuseErrors, ThreadColouredPictureIsMappedUnchanged)
{
    const std::vector<Color> threads = {0x551B0F, 0xE4DABF, 0xFFFFFF, 0x0D1057};
    std::mt19937 random(3);
    std::uniform_int_distribution<std::size_t> pick(0, threads.size() - 1);
    Bitmap picture(13, 9);
    std::vector<int> expected;
    for (Color& pixel : picture.pixels()) {
        const std::size_t q = pick(random);
        pixel = threads[q];
        expected.push_back(static_cast<int>(q));
    }
    const Bitmap before = picture;
    std::vector<int> stitches(threads.size(), 0);
    EXPECT_EQ(DiffuseErrors(picture, threads, stitches), expected);
    EXPECT_EQ(picture, before);
    for (std::size_t q = 0; q < threads.size(); ++q)
        EXPECT_EQ(stitches[q], std::count(expected.begin(), expected.end(), static_cast<int>(q)));
}

// A 3 × 2 picture in which one channel is measured: a "source" pixel whose nearest thread is
// the only one with marker 0, and neighbours that carry the marker and whose measured channel
// matches a thread exactly, so that they are mapped without error of their own and show what
// they received.
class Diffusion {
public:
    static constexpr int kMarker = 200;
    explicit Diffusion(int channel) : channel_(channel)
    {
        threads_.push_back(Compose(90, 0)); // entry 0: the source's thread
        for (int v = 0; v <= 255; ++v)
            threads_.push_back(Compose(v, kMarker)); // entry 1 + v
    }

    Color Compose(int measured, int marker) const
    {
        std::array<int, 3> rgb{0, 0, 0};
        rgb[static_cast<std::size_t>(channel_)] = measured;
        rgb[static_cast<std::size_t>((channel_ + 1) % 3)] = marker;
        return MakeColor(rgb[0], rgb[1], rgb[2]);
    }

    int Measured(Color c) const
    {
        const std::array<int, 3> rgb{Red(c), Green(c), Blue(c)};
        return rgb[static_cast<std::size_t>(channel_)];
    }

    // Runs the pass with the source at (sx, sy) of measured value `source` and every other pixel
    // at `neighbour`; returns the measured values of the mapped picture, row by row.
    std::vector<int> Run(int sx, int sy, int source, int neighbour) const
    {
        Bitmap picture(3, 2, Compose(neighbour, kMarker));
        picture.setPixel(sx, sy, Compose(source, 0));
        std::vector<int> stitches(threads_.size(), 0);
        const std::vector<int> entries = DiffuseErrors(picture, threads_, stitches);
        EXPECT_EQ(entries[static_cast<std::size_t>(sy * 3 + sx)], 0);
        EXPECT_EQ(std::accumulate(stitches.begin(), stitches.end(), 0), 6);
        std::vector<int> measured;
        for (Color c : picture.pixels())
            measured.push_back(Measured(c));
        return measured;
    }

private:
    int channel_;
    std::vector<Color> threads_;
};

TEST(DiffuseErrors, NeighboursReceiveTruncatedTenths)
{
    struct Case {
        const char* name;
        int source;    // measured value of the source pixel; its thread has 90
        int neighbour; // measured value of every other pixel
        int straight;  // what the left and upper neighbours end with
        int diagonal;  // what the two upper diagonal neighbours end with
    };
    const Case cases[] = {
        {"error -10 passes 3 and 2", 100, 50, 53, 52},
        {"error -3 passes nothing", 93, 50, 50, 50},
        {"error -4 passes only to the straight neighbours", 94, 50, 51, 50},
        {"error -5 passes 1 and 1", 95, 50, 51, 51},
        {"error +10 takes 3 and 2", 80, 50, 47, 48},
        {"error +4 takes 1 straight, truncated toward zero", 86, 50, 49, 50},
        {"254 receiving 3 is held at 255", 100, 254, 255, 255},
        {"1 losing 2 or 3 is held at 0", 80, 1, 0, 0},
    };
    for (int channel = 0; channel < 3; ++channel) {
        const Diffusion d(channel);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", channel " + std::to_string(channel));
            // Source at (1, 1): left (0, 1), upper (1, 0), upper left (0, 0), upper right (2, 0).
            // (2, 1) is mapped first and passes nothing.
            const std::vector<int> got = d.Run(1, 1, c.source, c.neighbour);
            EXPECT_EQ(got, (std::vector<int>{c.diagonal, c.straight, c.diagonal, c.straight, 90, c.neighbour}));
        }
    }
}

TEST(DiffuseErrors, EdgesOfThePicture)
{
    const Diffusion d(0);
    // Last column: left, upper and upper left receive; nothing lies beyond the right edge.
    EXPECT_EQ(d.Run(2, 1, 100, 50), (std::vector<int>{50, 52, 53, 50, 53, 90}));
    // Column 0 and row 0 pass nothing on, although neighbours exist.
    EXPECT_EQ(d.Run(0, 1, 100, 50), (std::vector<int>{50, 50, 50, 90, 50, 50}));
    EXPECT_EQ(d.Run(2, 0, 100, 50), (std::vector<int>{50, 50, 90, 50, 50, 50}));
}

TEST(DiffuseErrors, BottomRightIsMappedFirstAndTopLeftLast)
{
    // Two threads, black and white; a mid grey is nearer to black. The first pixel mapped passes
    // its whole error upward and to the left, so the pixels mapped later tip over to white.
    const std::vector<Color> threads = {0x000000, 0xFFFFFF};
    Bitmap picture(2, 2, MakeColor(120, 120, 120));
    std::vector<int> stitches(2, 0);
    const std::vector<int> entries = DiffuseErrors(picture, threads, stitches);
    // (1,1) → black (error −120 each: +36 left and up, +24 upper left); (0,1) = 156 → white but
    // passes nothing from column 0; (1,0) = 156 → white, row 0; (0,0) = 144 → white.
    EXPECT_EQ(entries, (std::vector<int>{1, 1, 1, 0}));
    EXPECT_EQ(stitches, (std::vector<int>{1, 3}));
}

TEST(DiffuseErrors, RefusesMismatchedCounters)
{
    Bitmap picture(2, 2);
    const std::vector<Color> threads = {0, 1};
    std::vector<int> stitches(1, 0);
    EXPECT_THROW(DiffuseErrors(picture, threads, stitches), std::invalid_argument);
}

} // namespace
} // namespace velmora
