#include "scheme/color_science.h"
#include "scheme/dmc_inc.h"
#include "scheme/legend_columns.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "scheme/thread_match.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

// A fixed generator, so that the test pictures are the same everywhere.
class Noise {
public:
    int Next(int range)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(range));
    }

private:
    std::uint64_t state_ = 12345;
};

int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// A pencil-and-watercolour drawing on a scanned page: the page is not white but a warm off-white
// of many shades (as a scanner sees paper), with dark strokes and a few washes of colour.
// `isPage` tells, for a picture pixel, whether the artist left it blank.
constexpr int kPageWidth = 400, kPageHeight = 300;

bool DrawnAt(int x, int y)
{
    const bool stroke = (x + 2 * y) % 37 < 2 && x > 60 && x < 340 && y > 40 && y < 260;
    const bool circle = std::hypot(x - 200.0, y - 150.0) < 60.0;
    const bool wash = x > 90 && x < 150 && y > 180 && y < 240;
    return stroke || circle || wash;
}

Bitmap DrawingOnAPage()
{
    Noise noise;
    Bitmap picture(kPageWidth, kPageHeight);
    for (int y = 0; y < kPageHeight; ++y) {
        for (int x = 0; x < kPageWidth; ++x) {
            const int grain = noise.Next(9) - 4;
            Color c = MakeColor(Clamp(246 + grain), Clamp(244 + grain), Clamp(238 + grain));
            if ((x + 2 * y) % 37 < 2 && x > 60 && x < 340 && y > 40 && y < 260)
                c = MakeColor(60 + grain, 58 + grain, 62 + grain);
            else if (std::hypot(x - 200.0, y - 150.0) < 60.0)
                c = MakeColor(Clamp(200 + 3 * grain), Clamp(90 + grain), Clamp(70 + grain));
            else if (x > 90 && x < 150 && y > 180 && y < 240)
                c = MakeColor(Clamp(120 + grain), Clamp(160 + grain), Clamp(210 + grain));
            picture.setPixel(x, y, c);
        }
    }
    return picture;
}

// A storm sky of slate blue and grey-blue clouds, the kind that plain RGB distance dresses in teal.
Bitmap SlateBlueSky()
{
    Noise noise;
    Bitmap picture(300, 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            const double cloud = 0.5 + 0.5 * std::sin(x / 23.0) * std::cos(y / 17.0);
            const int grain = noise.Next(5) - 2;
            const int r = static_cast<int>(88 + 40 * cloud + y / 10) + grain;
            const int g = static_cast<int>(100 + 38 * cloud + y / 10) + grain;
            const int b = static_cast<int>(128 + 30 * cloud + y / 12) + grain;
            picture.setPixel(x, y, MakeColor(Clamp(r), Clamp(g), Clamp(b)));
        }
    }
    return picture;
}

// A smooth spectrum, for the properties every scheme must have.
Bitmap Spectrum()
{
    Bitmap picture(256, 128);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, y, MakeColor(x, (x * y) / 128, 255 - x / 2 - y / 2));
    }
    return picture;
}

SchemeRequest PerceptualRequest(int width, int height, int colors, bool dithering)
{
    SchemeRequest request{width, height, colors, DefaultSymbolTexts(colors), dithering};
    request.perceptual = true;
    return request;
}

struct PictureCase {
    const char* name;
    std::function<Bitmap()> picture;
    int width, height, colors;
};

const std::vector<PictureCase>& Pictures()
{
    static const std::vector<PictureCase> cases = {
        {"drawing on a page, 80 wide, 10 threads", DrawingOnAPage, 80, 60, 10},
        {"drawing on a page, 160 wide, 30 threads", DrawingOnAPage, 160, 120, 30},
        {"slate-blue sky, 80 wide, 10 threads", SlateBlueSky, 80, 53, 10},
        {"slate-blue sky, 120 wide, 60 threads", SlateBlueSky, 120, 80, 60},
        {"spectrum enlarged, 300 wide, 60 threads", Spectrum, 300, 50, 60},
        {"spectrum, 2 threads", Spectrum, 40, 20, 2},
        {"one off-white colour", [] { return Bitmap(30, 20, MakeColor(250, 250, 247)); }, 30, 20, 10},
    };
    return cases;
}

int LegendCount(const CellTable& legend)
{
    int total = 0;
    for (int row = 1; row < legend.rows(); ++row) {
        const std::string count = legend.text(LegendColumn::Count, row);
        if (!count.empty())
            total += std::stoi(count);
    }
    return total;
}

TEST(PerceptualBuild, EveryStitchHasALegendThreadAndTheCountsAddUp)
{
    for (const PictureCase& c : Pictures()) {
        for (const bool dithering : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (dithering ? ", dithered" : ""));
            SchemeEngine engine;
            const SchemeDocument document =
                engine.BuildScheme(c.picture(), PerceptualRequest(c.width, c.height, c.colors, dithering));
            EXPECT_EQ(LegendCount(document.legend), c.width * c.height);
            EXPECT_LE(engine.Reduction.PaletteSize, c.colors);
            // Reading the chart back through the legend throws for a symbol no row has, and must
            // give the scheme's own picture.
            EXPECT_EQ(MappedPicture(document.chart, document.legend), document.picture);
            int threads = 0;
            for (const int used : engine.DMCUsed)
                threads += used;
            EXPECT_EQ(threads, engine.Reduction.PaletteSize); // no thread twice
            if (c.colors == 10 && c.width == 30) { // the one colour is the cloth: White, every cell empty
                EXPECT_EQ(MappedPicture(document.chart, document.legend), Bitmap(30, 20, kWhite));
            }
        }
    }
}

TEST(PerceptualBuild, GivesTheSameSchemeTwice)
{
    for (const PictureCase& c : Pictures()) {
        for (const bool dithering : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (dithering ? ", dithered" : ""));
            const SchemeRequest request = PerceptualRequest(c.width, c.height, c.colors, dithering);
            SchemeEngine first, second;
            const SchemeDocument a = first.BuildScheme(c.picture(), request);
            second.BuildScheme(Spectrum(), request); // an earlier build leaves nothing behind
            const SchemeDocument b = second.BuildScheme(c.picture(), request);
            EXPECT_EQ(a.picture, b.picture);
            EXPECT_EQ(a.chart, b.chart);
            EXPECT_EQ(a.legend, b.legend);
        }
    }
}

TEST(PerceptualBuild, KeepsTheBlankPageAsWhiteCloth)
{
    for (const PictureCase& c : Pictures()) {
        if (!std::string_view(c.name).starts_with("drawing on a page"))
            continue;
        for (const bool dithering : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (dithering ? ", dithered" : ""));
            SchemeEngine engine;
            const SchemeDocument document =
                engine.BuildScheme(DrawingOnAPage(), PerceptualRequest(c.width, c.height, c.colors, dithering));
            EXPECT_EQ(document.legend.text(LegendColumn::Name, 1), "White");
            // Stitches whose whole footprint is blank page.
            int page = 0, empty = 0;
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x) {
                    bool blank = true;
                    for (int sy = y * kPageHeight / c.height; blank && sy < (y + 1) * kPageHeight / c.height; ++sy) {
                        for (int sx = x * kPageWidth / c.width; blank && sx < (x + 1) * kPageWidth / c.width; ++sx)
                            blank = !DrawnAt(sx, sy);
                    }
                    if (!blank)
                        continue;
                    ++page;
                    empty += document.chart.text(x + 1, y + 1).empty() ? 1 : 0;
                }
            }
            ASSERT_GT(page, c.width * c.height / 2);
            EXPECT_GE(empty, page * 95 / 100) << empty << " of " << page << " page stitches empty";
        }
    }
}

TEST(PerceptualBuild, DressesAGreyBlueSkyInNoGreenOrTeal)
{
    for (const int colors : {10, 30, 60}) {
        SCOPED_TRACE(std::to_string(colors) + " threads");
        SchemeEngine engine;
        engine.BuildScheme(SlateBlueSky(), PerceptualRequest(80, 53, colors, false));
        for (const int dmc : engine.Reduction.PaletteDMC) {
            // Greens and teals lie at hue angles of 100° to 230°, the sky's blues at 250° to 290°;
            // greys have no hue to speak of.
            const Lab lab = CatalogueLabs()[static_cast<std::size_t>(dmc)];
            const double hue = std::atan2(lab.b, lab.a) * 180.0 / 3.14159265358979;
            const bool greenOrTeal = std::hypot(lab.a, lab.b) > 6.0 && hue > 100.0 && hue < 230.0;
            EXPECT_FALSE(greenOrTeal) << DMCTable[static_cast<std::size_t>(dmc)].Name << " at hue " << hue;
        }
    }
}

} // namespace
} // namespace velmora
