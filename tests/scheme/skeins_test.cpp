#include "scheme/skeins.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velmora {
namespace {

// One skein on 14 count: 24 m of two strands over crosses of (2 + 2·√2) · 25.4 / 14 mm each,
// a quarter added: 24000 / 10.95 = 2191 stitches.
TEST(Skeins, StitchesPerSkeinFollowTheCloth)
{
    const struct {
        int count;
        int stitches;
    } cases[] = {{6, 939}, {11, 1722}, {14, 2191}, {16, 2504}, {18, 2817}, {20, 3131}, {40, 6262}};
    for (const auto& c : cases)
        EXPECT_EQ(StitchesPerSkein(c.count), c.stitches) << c.count;
    EXPECT_GE(StitchesPerSkein(14), 1400);
    EXPECT_LE(StitchesPerSkein(14), 2800);
}

TEST(Skeins, WholeSkeinsAtLeastOneForAnyStitch)
{
    const struct {
        long long stitches;
        int count;
        int skeins;
    } cases[] = {
        {0, 14, 0},     {1, 14, 1},     {2191, 14, 1},  {2192, 14, 2}, {4382, 14, 2},
        {4383, 14, 3},  {1722, 11, 1},  {1723, 11, 2},  {1000000, 14, 457},
        {1000000, 40, 160}, {1000000, 6, 1065},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SkeinsFor(c.stitches, c.count), c.skeins) << c.stitches << " on " << c.count;
}

TEST(Skeins, AFinerClothNeverNeedsMore)
{
    for (const long long stitches : {1LL, 999LL, 2191LL, 12345LL, 1000000LL})
        for (int count = kSmallestFabricCount; count < kLargestFabricCount; ++count)
            EXPECT_GE(SkeinsFor(stitches, count), SkeinsFor(stitches, count + 1)) << stitches << " at " << count;
}

TEST(Skeins, FinishedSizeAndCountsOutOfRange)
{
    EXPECT_DOUBLE_EQ(FinishedMillimetres(140, 14), 254.0);
    EXPECT_DOUBLE_EQ(FinishedMillimetres(11, 11), 25.4);
    for (const int bad : {5, 41, 0, -14})
        EXPECT_THROW(FinishedMillimetres(10, bad), std::invalid_argument) << bad;
    EXPECT_THROW(StitchesPerSkein(41), std::invalid_argument);
}

TEST(Skeins, ThreadsOfALegendInItsOrder)
{
    // The builder's legend: header, White's row (empty here: no stitch is White), the threads and
    // an empty last row.
    CellTable legend;
    legend.setColumns(5);
    legend.setRows(5);
    const char* rows[][5] = {{"1", "", "", "", ""}, {"2", "n", "1", "310", "5000"}, {"3", "o", "2", "Ecru", "7"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            legend.setText(c, r + 1, rows[r][c]);
    const std::vector<ThreadUse> uses = ThreadUses(legend, 14);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(uses[0].thread, "310");
    EXPECT_EQ(uses[0].stitches, 5000);
    EXPECT_EQ(uses[0].skeins, 3);
    EXPECT_EQ(uses[1].thread, "Ecru");
    EXPECT_EQ(uses[1].skeins, 1);
}

} // namespace
} // namespace velmora
