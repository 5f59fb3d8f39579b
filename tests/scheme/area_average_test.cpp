#include "scheme/area_average.h"
#include "scheme/stretch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

Bitmap Grey(std::initializer_list<std::initializer_list<int>> rows)
{
    const int height = static_cast<int>(rows.size()), width = static_cast<int>(rows.begin()->size());
    Bitmap picture(width, height);
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (const int v : row)
            picture.setPixel(x++, y, MakeColor(v, v, v));
        ++y;
    }
    return picture;
}

std::vector<int> Greys(const Bitmap& picture)
{
    std::vector<int> greys;
    for (const Color c : picture.pixels()) {
        EXPECT_TRUE(Red(c) == Green(c) && Green(c) == Blue(c));
        greys.push_back(Red(c));
    }
    return greys;
}

TEST(StretchAreaAverage, EachStitchIsTheMeanOfThePixelsItCovers)
{
    struct Case {
        const char* name;
        Bitmap source;
        int width, height;
        AverageIn space;
        std::vector<int> expected;
    };
    const Case cases[] = {
        // Half black, half white gives half the light: sRGB 188, where the stored values average 128.
        {"checker in light", Grey({{0, 255, 0, 255}, {255, 0, 255, 0}}), 2, 1, AverageIn::LinearLight, {188, 188}},
        {"checker in sRGB values", Grey({{0, 255, 0, 255}, {255, 0, 255, 0}}), 2, 1, AverageIn::Srgb, {128, 128}},
        // Three columns into two: each stitch covers one and a half pixels, the middle one shared.
        {"a pixel cut by the border", Grey({{0, 255, 0}}), 2, 1, AverageIn::Srgb, {85, 85}},
        {"rows shrink, columns grow and are repeated", Grey({{0, 90}, {60, 30}}), 4, 1, AverageIn::Srgb,
         {30, 30, 60, 60}},
        {"same size is a copy", Grey({{1, 2}, {3, 4}}), 2, 2, AverageIn::LinearLight, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap result = StretchAreaAverage(c.source, c.width, c.height, c.space);
        ASSERT_EQ(result.width(), c.width);
        ASSERT_EQ(result.height(), c.height);
        EXPECT_EQ(Greys(result), c.expected);
    }
}

TEST(StretchAreaAverage, EnlargingSamplesThePixelsAsThePlainStretchDoes)
{
    Bitmap source(7, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x)
            source.setPixel(x, y, MakeColor(x * 30, y * 50, (x * y * 13) % 256));
    }
    EXPECT_EQ(StretchAreaAverage(source, 19, 11), StretchPointSampled(source, 19, 11));
}

} // namespace
} // namespace velmora
