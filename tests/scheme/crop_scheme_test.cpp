#include "scheme/crop_scheme.h"

#include "letter_scheme.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace velmora {
namespace {

using test::Dmc;
using test::ExpectConsistent;
using test::Scheme;

const std::map<char, const char*> kThreads = {{'.', "White"}, {'r', "321"}, {'b', "797"}, {'k', "310"}};

// 12 × 11: a red block at the top left, a black column at the right edge, brown at the bottom.
const std::vector<std::string> kRows = {
    "rrr........k", "rrr........k", "rrr........k", "...........k", "...........k", "...........k",
    "...........k", "...........k", "...........k", "...........k", "bbbbbbbbbbbk",
};

std::map<int, int> Counts(const SchemeDocument& doc)
{
    std::map<int, int> counts;
    for (const LegendEntry& entry : SchemeThreads(doc))
        counts[entry.dmc] = entry.stitches;
    return counts;
}

TEST(CropScheme, KeepsTheWindowsStitchesRenumberedAndRecounted)
{
    struct Case {
        const char* name;
        CropWindow window;
        std::map<const char*, int> counts; // every legend row after the crop
    };
    const Case cases[] = {
        {"top left corner", {0, 0, 10, 10}, {{"White", 91}, {"321", 9}, {"797", 0}, {"310", 0}}},
        {"bottom right corner", {2, 1, 10, 10}, {{"White", 79}, {"321", 2}, {"797", 9}, {"310", 10}}},
        {"one column in from each side", {1, 0, 10, 11}, {{"White", 94}, {"321", 6}, {"797", 10}, {"310", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SchemeDocument doc = Scheme(kRows, kThreads);
        const SchemeDocument cropped = CropScheme(doc, c.window);
        ExpectConsistent(cropped);
        EXPECT_EQ(cropped.request.width, c.window.width);
        EXPECT_EQ(cropped.request.height, c.window.height);
        EXPECT_EQ(cropped.request.symbols, doc.request.symbols);
        EXPECT_EQ(cropped.fabricCount, doc.fabricCount);
        // Numbered from 1 as a new chart is; each stitch is the one of the window it came from.
        EXPECT_EQ(cropped.chart, [&] {
            CellTable expected = NewChartFrame(c.window.width, c.window.height);
            for (int y = 0; y < c.window.height; ++y)
                for (int x = 0; x < c.window.width; ++x)
                    expected.setText(x + 1, y + 1, doc.chart.textView(c.window.x + x + 1, c.window.y + y + 1));
            return expected;
        }());
        std::map<int, int> expected;
        for (const auto& [name, count] : c.counts)
            expected[Dmc(name)] = count;
        EXPECT_EQ(Counts(cropped), expected);
    }
}

TEST(CropScheme, TheWholeChartIsTheSchemeUnchanged)
{
    SchemeDocument doc = Scheme(kRows, kThreads);
    doc.request.width = 12;
    doc.request.height = 11;
    doc.backstitches = {{Dmc("310"), 0, 0, 12, 11}, {Dmc("321"), 3, 0, 3, 3}};
    const SchemeDocument cropped = CropScheme(doc, {0, 0, 12, 11});
    EXPECT_EQ(cropped.chart, doc.chart);
    EXPECT_EQ(cropped.legend, doc.legend);
    EXPECT_EQ(cropped.picture, doc.picture);
    EXPECT_EQ(cropped.backstitches, doc.backstitches);
    EXPECT_EQ(cropped.request.width, 12);
    EXPECT_EQ(cropped.request.height, 11);
}

TEST(CropScheme, AWindowOffTheChartOrTooSmallIsRefused)
{
    const SchemeDocument doc = Scheme(kRows, kThreads);
    const CropWindow refused[] = {
        {3, 0, 10, 10},  {0, 2, 10, 10},      {-1, 0, 10, 10}, {0, -1, 10, 10},  {0, 0, 13, 11},
        {0, 0, 9, 10},   {0, 0, 10, 9},       {0, 0, 0, 0},    {0, 0, -5, 10},   {INT_MAX, 0, 10, 10},
        {0, INT_MAX, 10, 10}, {2, 1, INT_MAX, 10},
    };
    for (const CropWindow& w : refused) {
        SCOPED_TRACE(testing::Message() << w.x << "," << w.y << "," << w.width << "," << w.height);
        EXPECT_THROW(CropScheme(doc, w), ThreadEditError);
    }
}

// A line keeps the part between its first and last grid corner on the cut cloth.
TEST(CropScheme, LinesAreClippedToTheirCornersInTheWindow)
{
    struct Case {
        const char* name;
        Backstitch line;                   // on the 12 × 11 chart
        std::optional<Backstitch> kept;    // on the window 2, 1, 10 × 10
    };
    const int k = FindDmc("310");
    const Case cases[] = {
        {"wholly inside, shifted", {k, 3, 2, 6, 5}, Backstitch{k, 1, 1, 4, 4}},
        {"along the window's edge", {k, 2, 1, 12, 1}, Backstitch{k, 0, 0, 10, 0}},
        {"crossing the left edge at a corner", {k, 0, 4, 5, 4}, Backstitch{k, 0, 3, 3, 3}},
        {"a slope crossing the left edge at a corner", {k, 0, 3, 12, 9}, Backstitch{k, 0, 3, 10, 8}},
        {"diagonal through corners", {k, 1, 0, 12, 11}, Backstitch{k, 0, 0, 10, 10}},
        {"cut between corners: shortened to the last one inside", {k, 0, 0, 4, 2}, Backstitch{k, 0, 0, 2, 1}},
        {"wholly outside", {k, 0, 0, 1, 5}, std::nullopt},
        {"touching the window at one corner", {k, 0, 0, 2, 1}, std::nullopt},
        {"one end inside and no corner between", {k, 1, 0, 4, 11}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SchemeDocument doc = Scheme(kRows, kThreads);
        doc.backstitches = {c.line};
        const SchemeDocument cropped = CropScheme(doc, {2, 1, 10, 10});
        if (c.kept) {
            ASSERT_EQ(cropped.backstitches.size(), 1U);
            EXPECT_EQ(cropped.backstitches.front(), *c.kept);
        } else {
            EXPECT_TRUE(cropped.backstitches.empty());
        }
        // The thread of a line that went keeps its row.
        EXPECT_EQ(SchemeThreads(cropped).size(), SchemeThreads(doc).size());
    }
}

} // namespace
} // namespace velmora
