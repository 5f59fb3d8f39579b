#include "scheme/stretch.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// A picture whose every pixel names its own position, so a sample shows where it came from.
Bitmap Numbered(int width, int height)
{
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.setPixel(x, y, static_cast<Color>(y * 1000 + x + 1));
    return b;
}

TEST(Stretch, SameSizeIsAPixelForPixelCopy)
{
    const Bitmap source = Numbered(13, 7);
    const Bitmap target = StretchPointSampled(source, 13, 7);
    EXPECT_EQ(target.pixels().size(), source.pixels().size());
    EXPECT_TRUE(std::equal(source.pixels().begin(), source.pixels().end(), target.pixels().begin()));
}

TEST(Stretch, PointSamplesWithoutAveraging)
{
    struct Case {
        const char* name;
        int sw, sh, tw, th;
    };
    const Case cases[] = {
        {"halve", 8, 6, 4, 3},  {"double", 3, 2, 6, 4},   {"odd shrink", 451, 300, 100, 67},
        {"grow", 9, 6, 10, 10}, {"mixed", 40, 5, 10, 20}, {"one pixel", 1, 1, 10, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap source = Numbered(c.sw, c.sh);
        const Bitmap target = StretchPointSampled(source, c.tw, c.th);
        ASSERT_EQ(target.width(), c.tw);
        ASSERT_EQ(target.height(), c.th);
        int lastRow = -1;
        for (int y = 0; y < c.th; ++y) {
            int lastColumn = -1;
            for (int x = 0; x < c.tw; ++x) {
                const Color v = target.pixel(x, y);
                const int sy = static_cast<int>((v - 1) / 1000);
                const int sx = static_cast<int>((v - 1) % 1000);
                // Every target pixel is one source pixel, in order, spread evenly.
                ASSERT_LT(sx, c.sw);
                ASSERT_LT(sy, c.sh);
                EXPECT_GE(sx, lastColumn);
                EXPECT_LE(sx, (x + 1) * c.sw / c.tw);
                EXPECT_GE(sx, x * c.sw / c.tw);
                lastColumn = sx;
                if (x == 0) {
                    EXPECT_GE(sy, lastRow);
                    lastRow = sy;
                }
            }
        }
    }
}

TEST(Stretch, HalvingTakesEverySecondRowAndColumn)
{
    const Bitmap target = StretchPointSampled(Numbered(4, 4), 2, 2);
    // Sample centres of 2 targets over 4 sources fall on sources 1 and 3.
    EXPECT_EQ(target.pixel(0, 0), 1001u + 1);
    EXPECT_EQ(target.pixel(1, 1), 3001u + 3);
}

TEST(Stretch, ShrunkOneBitSourceKeepsThinBlackLines)
{
    Bitmap source(20, 20, kWhite);
    source.setSourceBitsPerPixel(1);
    for (int i = 0; i < 20; ++i)
        source.setPixel(i, 5, kBlack); // sample rows are 2, 6, 10, …: this line falls between
    const Bitmap target = StretchPointSampled(source, 5, 5);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(target.pixel(x, 1), kBlack) << x;
        EXPECT_EQ(target.pixel(x, 0), kWhite) << x;
        EXPECT_EQ(target.pixel(x, 2), kWhite) << x;
    }

    // The same line in a 24-bit source is dropped by point sampling.
    source.setSourceBitsPerPixel(24);
    EXPECT_EQ(StretchPointSampled(source, 5, 5).pixel(0, 1), kWhite);
}

TEST(Stretch, EnlargedOneBitSourceIsPlainPointSampling)
{
    Bitmap source(2, 2, kWhite);
    source.setSourceBitsPerPixel(1);
    source.setPixel(0, 0, kBlack);
    const Bitmap target = StretchPointSampled(source, 4, 4);
    EXPECT_EQ(target.pixel(1, 1), kBlack);
    EXPECT_EQ(target.pixel(2, 1), kWhite);
    EXPECT_EQ(target.pixel(1, 2), kWhite);
}

} // namespace
} // namespace velmora
