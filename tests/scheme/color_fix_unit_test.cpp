#include "scheme/color_fix_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

Bitmap PictureOf(const std::vector<Color>& colors, int width)
{
    const int height = static_cast<int>(colors.size()) / width;
    Bitmap picture(width, height);
    for (int i = 0; i < width * height; ++i)
        picture.setPixel(i % width, i / width, colors[static_cast<std::size_t>(i)]);
    return picture;
}

// The reference histogram: colours inserted one at a time into the sorted arrays of a unit, which
// start at 1000 entries and grow by 100 whenever a new colour finds them full. ReduceColors must
// leave the same histogram, made another way.

// An empty histogram of the initial capacity.
void ClearHistogram(ColorFixUnit& unit)
{
    unit.HistCapacity = 1000;
    unit.HistColors.assign(static_cast<std::size_t>(unit.HistCapacity), 0);
    unit.HistCounts.assign(static_cast<std::size_t>(unit.HistCapacity), 0);
    unit.HistSize = 0;
}

// Bisection over HistColors[lo..hi]. Lookup mode: the index of c, or −1. Count mode: when c is
// present, counts one pixel for it and returns −1; otherwise returns where c belongs.
int SearchHistColor(ColorFixUnit& unit, Color c, int lo, int hi, bool lookup)
{
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const Color here = unit.HistColors[static_cast<std::size_t>(mid)];
        if (c > here) {
            lo = mid + 1;
        } else if (c < here) {
            hi = mid - 1;
        } else {
            if (lookup)
                return mid;
            ++unit.HistCounts[static_cast<std::size_t>(mid)];
            return -1;
        }
    }
    return lookup ? -1 : lo;
}

// The index of c in HistColors, or −1.
int FindHistColor(const ColorFixUnit& unit, Color c)
{
    const auto begin = unit.HistColors.begin();
    const auto end = begin + unit.HistSize;
    const auto found = std::lower_bound(begin, end, c);
    return found != end && *found == c ? static_cast<int>(found - begin) : -1;
}

// Counts one pixel of colour c, inserting c in order when it is new.
void AddHistColor(ColorFixUnit& unit, Color c)
{
    const int i = SearchHistColor(unit, c, 0, unit.HistSize - 1, false);
    if (i < 0)
        return;
    if (unit.HistSize >= unit.HistCapacity) {
        unit.HistCapacity += 100;
        unit.HistColors.resize(static_cast<std::size_t>(unit.HistCapacity));
        unit.HistCounts.resize(static_cast<std::size_t>(unit.HistCapacity));
    }
    for (int k = unit.HistSize; k > i; --k) {
        unit.HistColors[static_cast<std::size_t>(k)] = unit.HistColors[static_cast<std::size_t>(k - 1)];
        unit.HistCounts[static_cast<std::size_t>(k)] = unit.HistCounts[static_cast<std::size_t>(k - 1)];
    }
    unit.HistColors[static_cast<std::size_t>(i)] = c;
    unit.HistCounts[static_cast<std::size_t>(i)] = 1;
    ++unit.HistSize;
}

// The histogram as it comes from counting the pixels one at a time, bottom row first, each row
// from the right.
ColorFixUnit CountedOneByOne(const Bitmap& picture)
{
    ColorFixUnit unit;
    ClearHistogram(unit);
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = picture.width() - 1; x >= 0; --x)
            AddHistColor(unit, picture.pixel(x, y));
    }
    return unit;
}

TEST(Histogram, MatchesCountingOnePixelAtATime)
{
    struct Case {
        const char* name;
        int width, height;
        std::uint32_t colorRange; // pixels draw from 0..colorRange-1, spread over the 24 bits
    };
    const Case cases[] = {
        {"few colours, many repeats", 37, 23, 5},
        {"about as many colours as pixels", 40, 30, 1u << 24},
        {"exactly fills 1000 entries or grows", 50, 40, 1500},
        {"grows several times", 64, 64, 1u << 24},
        {"one row", 301, 1, 200},
        {"one column", 1, 257, 1u << 24},
    };
    std::mt19937 random(20240611);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap picture(c.width, c.height);
        std::uniform_int_distribution<std::uint32_t> pick(0, c.colorRange - 1);
        const std::uint32_t spread = c.colorRange >= (1u << 24) ? 1 : 16777213u;
        for (Color& pixel : picture.pixels())
            pixel = (pick(random) * spread) & 0xFFFFFF;

        const ColorFixUnit expected = CountedOneByOne(picture);
        ColorFixUnit unit;
        unit.ReduceColors(picture, 100);

        EXPECT_EQ(unit.HistSize, expected.HistSize);
        EXPECT_EQ(unit.HistCapacity, expected.HistCapacity);
        EXPECT_EQ(unit.HistColors, expected.HistColors);
        EXPECT_EQ(unit.HistCounts, expected.HistCounts);
        ASSERT_EQ(unit.PixelHist.size(), picture.pixels().size());
        for (std::size_t i = 0; i < unit.PixelHist.size(); ++i)
            ASSERT_EQ(unit.PixelHist[i], FindHistColor(unit, picture.pixels()[i])) << "pixel " << i;
        EXPECT_EQ(unit.HistMapped.size(), static_cast<std::size_t>(unit.HistSize));

        // In place, the picture itself holds the indices, and the palette is the same.
        Bitmap indexed = picture;
        ColorFixUnit inPlace;
        inPlace.ReduceColorsInPlace(indexed, 100);
        EXPECT_EQ(inPlace.HistColors, unit.HistColors);
        EXPECT_EQ(inPlace.HistCounts, unit.HistCounts);
        EXPECT_EQ(inPlace.Palette, unit.Palette);
        EXPECT_TRUE(inPlace.PixelHist.empty());
        for (std::size_t i = 0; i < unit.PixelHist.size(); ++i)
            ASSERT_EQ(static_cast<int>(indexed.pixels()[i]), unit.PixelHist[i]) << "pixel " << i;
    }
}

TEST(Histogram, CapacityGrowsInStepsOfHundred)
{
    struct Case {
        int distinct;
        int capacity;
    };
    const Case cases[] = {{1, 1000}, {1000, 1000}, {1001, 1100}, {1100, 1100}, {1101, 1200}, {2345, 2400}};
    for (const Case& c : cases) {
        SCOPED_TRACE("distinct colours: " + std::to_string(c.distinct));
        std::vector<Color> colors;
        for (int i = 0; i < c.distinct; ++i)
            colors.push_back(static_cast<Color>(i) * 4099u & 0xFFFFFF);
        const Bitmap picture = PictureOf(colors, 1);
        ColorFixUnit unit;
        unit.ReduceColors(picture, 2);
        EXPECT_EQ(unit.HistSize, c.distinct);
        EXPECT_EQ(unit.HistCapacity, c.capacity);
        EXPECT_EQ(unit.HistColors.size(), static_cast<std::size_t>(c.capacity));
        EXPECT_EQ(CountedOneByOne(picture).HistCapacity, c.capacity);
    }
}

// A small picture worked out by hand, apart from the counting oracle above: repeated colours are
// counted once, the table is ascending, and every pixel points at its own colour.
TEST(Histogram, CountsEachColourOnceInAscendingOrder)
{
    ColorFixUnit unit;
    unit.ReduceColors(PictureOf({30, 10, 20, 10, 30, 10}, 3), 2);
    EXPECT_EQ(unit.HistSize, 3);
    const auto used = [](const auto& table) { return std::vector(table.begin(), table.begin() + 3); };
    EXPECT_EQ(used(unit.HistColors), (std::vector<Color>{10, 20, 30}));
    EXPECT_EQ(used(unit.HistCounts), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(unit.PixelHist, (std::vector<int>{2, 0, 1, 0, 2, 0}));
}

TEST(ReduceColors, FewColoursAreThePaletteInAscendingOrder)
{
    const Color red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
    ColorFixUnit unit;
    unit.ReduceColors(PictureOf({blue, red, green, red, blue, blue}, 3), 3);
    EXPECT_EQ(unit.PaletteSize, 3);
    EXPECT_EQ(unit.Palette, (std::vector<Color>{255, 65280, 16711680}));
    EXPECT_EQ(unit.HistCounts[0], 2);
    EXPECT_EQ(unit.HistCounts[2], 3);
    EXPECT_EQ(unit.PaletteDMC.size(), 3u);
    EXPECT_EQ(unit.PaletteStitches, (std::vector<int>{0, 0, 0}));

    unit.ReduceColors(PictureOf({green, green}, 1), 5);
    EXPECT_EQ(unit.HistSize, 1);
    EXPECT_EQ(unit.Palette, (std::vector<Color>{green}));
}

TEST(ReduceColors, RefusesAnEmptyPalette)
{
    ColorFixUnit unit;
    EXPECT_THROW(unit.ReduceColors(Bitmap(2, 2), 0), std::invalid_argument);
}

TEST(MedianCut, AveragesRoundHalfToEven)
{
    struct Case {
        const char* name;
        std::vector<int> reds;
        int average;
    };
    const Case cases[] = {
        {"1.5 rounds up", {1, 2}, 2},
        {"2.5 rounds down", {2, 3}, 2},
        {"3.5 rounds up", {3, 4}, 4},
        {"a third rounds down", {0, 0, 1}, 0},
        {"two thirds round up", {0, 1, 1}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Distinct colours: the green component tells equal reds apart and averages to 1.
        std::vector<Color> colors;
        for (std::size_t i = 0; i < c.reds.size(); ++i)
            colors.push_back(MakeColor(c.reds[i], i == 0 ? 0 : (i == 1 ? 2 : 1), 7));
        ColorFixUnit unit;
        unit.ReduceColors(PictureOf(colors, 1), 1);
        ASSERT_EQ(unit.PaletteSize, 1);
        EXPECT_EQ(Red(unit.Palette[0]), c.average);
        EXPECT_EQ(Blue(unit.Palette[0]), 7);
    }
}

TEST(MedianCut, OneMoreColourThanAskedSplitsOnceMore)
{
    // Reds 0, 10, 200, 210 to three colours: the first split (red, at 105) leaves two groups of
    // two with equal ranges and counts; the one with the higher index is split next.
    ColorFixUnit unit;
    unit.ReduceColors(PictureOf({MakeColor(210, 0, 0), MakeColor(0, 0, 0), MakeColor(200, 0, 0),
                                 MakeColor(10, 0, 0)},
                                2),
                      3);
    EXPECT_EQ(unit.Palette, (std::vector<Color>{MakeColor(5, 0, 0), MakeColor(200, 0, 0), MakeColor(210, 0, 0)}));
    EXPECT_TRUE(unit.Groups.empty()); // working data is gone
}

// A unit whose histogram holds `colors` and whose group 0 holds them all, as the median cut
// starts.
ColorFixUnit StartedCut(const std::vector<Color>& colors, int groups)
{
    ColorFixUnit unit;
    ClearHistogram(unit);
    for (Color c : colors)
        AddHistColor(unit, c);
    unit.Groups.assign(static_cast<std::size_t>(groups), TGroup{});
    for (int i = 0; i < unit.HistSize; ++i)
        unit.Groups[0].Members.push_back(i);
    unit.Groups[0].Count = unit.HistSize;
    unit.GroupsInUse = 1;
    unit.UpdateGroupBounds(0);
    return unit;
}

std::vector<Color> ColorsOf(const ColorFixUnit& unit, int g)
{
    std::vector<Color> colors;
    const TGroup& group = unit.Groups[static_cast<std::size_t>(g)];
    for (int k = 0; k < group.Count; ++k)
        colors.push_back(unit.HistColors[static_cast<std::size_t>(group.Members[static_cast<std::size_t>(k)])]);
    return colors;
}

TEST(SplitGroup, ChannelAndMidpoint)
{
    const Color a = MakeColor(40, 0, 0), b = MakeColor(0, 40, 0), c = MakeColor(0, 0, 40), o = MakeColor(0, 0, 0);
    struct Case {
        const char* name;
        std::vector<Color> colors;
        std::vector<Color> upper; // in the order the split collects them
    };
    const Case cases[] = {
        {"blue 10 and 11 split at mid 10", {MakeColor(5, 5, 10), MakeColor(5, 5, 11)}, {MakeColor(5, 5, 11)}},
        {"equal ranges choose blue", {a, b, c, o}, {c}},
        {"green before red on equal ranges", {MakeColor(0, 0, 1), MakeColor(30, 0, 0), MakeColor(0, 30, 0)},
         {MakeColor(0, 30, 0)}},
        {"red when it is widest", {MakeColor(0, 20, 0), MakeColor(30, 0, 0), MakeColor(9, 0, 0)},
         {MakeColor(30, 0, 0)}},
        {"upper part from the last member to the first",
         {MakeColor(0, 0, 0), MakeColor(0, 0, 150), MakeColor(0, 0, 10), MakeColor(0, 0, 200)},
         {MakeColor(0, 0, 200), MakeColor(0, 0, 150)}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ColorFixUnit unit = StartedCut(k.colors, 2);
        const std::vector<Color> all = ColorsOf(unit, 0);
        unit.SplitGroup(0);
        EXPECT_EQ(unit.GroupsInUse, 2);
        EXPECT_EQ(ColorsOf(unit, 1), k.upper);
        std::vector<Color> lower;
        for (Color c0 : all) {
            if (std::find(k.upper.begin(), k.upper.end(), c0) == k.upper.end())
                lower.push_back(c0);
        }
        EXPECT_EQ(ColorsOf(unit, 0), lower); // ascending as before
    }
}

TEST(SplitGroup, UpdatesTheBoundsOfBothHalves)
{
    ColorFixUnit unit = StartedCut({MakeColor(10, 20, 0), MakeColor(50, 60, 100), MakeColor(30, 25, 200)}, 2);
    unit.SplitGroup(0); // blue, mid 100
    const TGroup& lower = unit.Groups[0];
    const TGroup& upper = unit.Groups[1];
    EXPECT_EQ(lower.Count, 2);
    EXPECT_EQ(lower.MinB, 0);
    EXPECT_EQ(lower.MaxB, 100);
    EXPECT_EQ(lower.RangeR, 40);
    EXPECT_EQ(lower.RangeG, 40);
    EXPECT_EQ(upper.Count, 1);
    EXPECT_EQ(upper.MinG, 25);
    EXPECT_EQ(upper.MaxG, 25);
    EXPECT_EQ(unit.GroupMaxRange(0), 100);
    EXPECT_EQ(unit.GroupMaxRange(1), 0);
}

TEST(ChooseGroupToSplit, WidestAgainstFullest)
{
    struct Group {
        int range;
        int count;
    };
    struct Case {
        const char* name;
        std::vector<Group> visited; // in visiting order: the last group first
        int chosen;                 // index into `visited`
    };
    const Case cases[] = {
        {"90, 30, 20: no width before the widest, the fullest wins", {{90, 2}, {30, 2}, {20, 5}}, 2},
        {"20, 90: 90 / 20 >= 3, the widest wins over the fullest", {{20, 9}, {90, 2}}, 1},
        {"30, 90: exactly three times counts", {{30, 9}, {90, 2}}, 1},
        {"20, 50, 30: 50 / 20 < 3, the fullest wins", {{20, 2}, {50, 2}, {30, 7}}, 2},
        {"20, 50, 30, 5: 20 / 5 > 3 for the fullest, the widest wins", {{20, 2}, {50, 2}, {30, 2}, {5, 9}}, 1},
        {"20, 50, 30, 7: 20 / 7 < 3, the fullest wins", {{20, 2}, {50, 2}, {30, 2}, {7, 9}}, 3},
        {"equal counts: the group visited first", {{4, 3}, {5, 3}, {6, 3}}, 0},
        {"equal widths: the group visited first is the widest", {{10, 2}, {40, 2}, {40, 2}, {10, 20}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ColorFixUnit unit;
        const int n = static_cast<int>(c.visited.size());
        unit.Groups.assign(c.visited.size(), TGroup{});
        unit.GroupsInUse = n;
        for (int v = 0; v < n; ++v) {
            TGroup& g = unit.Groups[static_cast<std::size_t>(n - 1 - v)];
            g.RangeG = c.visited[static_cast<std::size_t>(v)].range;
            g.Count = c.visited[static_cast<std::size_t>(v)].count;
        }
        EXPECT_EQ(unit.ChooseGroupToSplit(), n - 1 - c.chosen);
    }
}

TEST(MedianCut, PaletteHasExactlyTheColoursAskedFor)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> pick(0, 0xFFFFFF);
    Bitmap picture(30, 20);
    for (Color& pixel : picture.pixels())
        pixel = pick(random);
    for (int n : {1, 2, 3, 17, 100, 599}) {
        SCOPED_TRACE(n);
        ColorFixUnit unit;
        unit.ReduceColors(picture, n);
        EXPECT_EQ(unit.PaletteSize, n);
        EXPECT_EQ(unit.Palette.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(unit.PaletteStitches, std::vector<int>(static_cast<std::size_t>(n), 0));
    }
}

} // namespace
} // namespace velmora
