#include "scheme/color_science.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace velmora {
namespace {

struct DeltaECase {
    Lab x, y;
    double expected;
};

// Table 1 of G. Sharma, W. Wu and E. N. Dalal, "The CIEDE2000 color-difference formula:
// implementation notes, supplementary test data, and mathematical observations", Color Research
// and Application 30 (2005): all 34 pairs, which walk the formula's hue wrap at 180°, the mean
// hue's branches, the G factor of near-neutral colours and the rotation term of the blues.
constexpr DeltaECase kSharmaPairs[] = {
    {{50.0000F, 2.6772F, -79.7751F}, {50.0000F, 0.0000F, -82.7485F}, 2.0425},
    {{50.0000F, 3.1571F, -77.2803F}, {50.0000F, 0.0000F, -82.7485F}, 2.8615},
    {{50.0000F, 2.8361F, -74.0200F}, {50.0000F, 0.0000F, -82.7485F}, 3.4412},
    {{50.0000F, -1.3802F, -84.2814F}, {50.0000F, 0.0000F, -82.7485F}, 1.0000},
    {{50.0000F, -1.1848F, -84.8006F}, {50.0000F, 0.0000F, -82.7485F}, 1.0000},
    {{50.0000F, -0.9009F, -85.5211F}, {50.0000F, 0.0000F, -82.7485F}, 1.0000},
    {{50.0000F, 0.0000F, 0.0000F}, {50.0000F, -1.0000F, 2.0000F}, 2.3669},
    {{50.0000F, -1.0000F, 2.0000F}, {50.0000F, 0.0000F, 0.0000F}, 2.3669},
    {{50.0000F, 2.4900F, -0.0010F}, {50.0000F, -2.4900F, 0.0009F}, 7.1792},
    {{50.0000F, 2.4900F, -0.0010F}, {50.0000F, -2.4900F, 0.0010F}, 7.1792},
    {{50.0000F, 2.4900F, -0.0010F}, {50.0000F, -2.4900F, 0.0011F}, 7.2195},
    {{50.0000F, 2.4900F, -0.0010F}, {50.0000F, -2.4900F, 0.0012F}, 7.2195},
    {{50.0000F, -0.0010F, 2.4900F}, {50.0000F, 0.0009F, -2.4900F}, 4.8045},
    {{50.0000F, -0.0010F, 2.4900F}, {50.0000F, 0.0010F, -2.4900F}, 4.8045},
    {{50.0000F, -0.0010F, 2.4900F}, {50.0000F, 0.0011F, -2.4900F}, 4.7461},
    {{50.0000F, 2.5000F, 0.0000F}, {50.0000F, 0.0000F, -2.5000F}, 4.3065},
    {{50.0000F, 2.5000F, 0.0000F}, {73.0000F, 25.0000F, -18.0000F}, 27.1492},
    {{50.0000F, 2.5000F, 0.0000F}, {61.0000F, -5.0000F, 29.0000F}, 22.8977},
    {{50.0000F, 2.5000F, 0.0000F}, {56.0000F, -27.0000F, -3.0000F}, 31.9030},
    {{50.0000F, 2.5000F, 0.0000F}, {58.0000F, 24.0000F, 15.0000F}, 19.4535},
    {{50.0000F, 2.5000F, 0.0000F}, {50.0000F, 3.1736F, 0.5854F}, 1.0000},
    {{50.0000F, 2.5000F, 0.0000F}, {50.0000F, 3.2972F, 0.0000F}, 1.0000},
    {{50.0000F, 2.5000F, 0.0000F}, {50.0000F, 1.8634F, 0.5757F}, 1.0000},
    {{50.0000F, 2.5000F, 0.0000F}, {50.0000F, 3.2592F, 0.3350F}, 1.0000},
    {{60.2574F, -34.0099F, 36.2677F}, {60.4626F, -34.1751F, 39.4387F}, 1.2644},
    {{63.0109F, -31.0961F, -5.8663F}, {62.8187F, -29.7946F, -4.0864F}, 1.2630},
    {{61.2901F, 3.7196F, -5.3901F}, {61.4292F, 2.2480F, -4.9620F}, 1.8731},
    {{35.0831F, -44.1164F, 3.7933F}, {35.0232F, -40.0716F, 1.5901F}, 1.8645},
    {{22.7233F, 20.0904F, -46.6940F}, {23.0331F, 14.9730F, -42.5619F}, 2.0373},
    {{36.4612F, 47.8580F, 18.3852F}, {36.2715F, 50.5065F, 21.2231F}, 1.4146},
    {{90.8027F, -2.0831F, 1.4410F}, {91.1528F, -1.6435F, 0.0447F}, 1.4441},
    {{90.9257F, -0.5406F, -0.9208F}, {88.6381F, -0.8985F, -0.7239F}, 1.5381},
    {{6.7747F, -0.2908F, -2.4247F}, {5.8714F, -0.0985F, -2.2286F}, 0.6377},
    {{2.0776F, 0.0795F, -1.1350F}, {0.9033F, -0.0636F, -0.5514F}, 0.9082},
};

TEST(DeltaE2000, MatchesSharmaWuDalalPairsToFourDecimalsBothWays)
{
    int pair = 0;
    for (const DeltaECase& c : kSharmaPairs) {
        SCOPED_TRACE("pair " + std::to_string(++pair));
        EXPECT_NEAR(DeltaE2000(c.x, c.y), c.expected, 0.00005);
        EXPECT_NEAR(DeltaE2000(c.y, c.x), c.expected, 0.00005);
    }
    EXPECT_EQ(pair, 34);
    EXPECT_EQ(DeltaE2000({41.5F, -12.0F, 30.25F}, {41.5F, -12.0F, 30.25F}), 0.0);
}

struct LabCase {
    const char* name;
    Color color;
    Lab expected;
};

TEST(ColorToLab, GivesTheKnownValuesOfTheSrgbPrimariesAndGreys)
{
    // CIELAB of the sRGB primaries and secondaries, D65 (as every colour reference lists them), and
    // of greys, which must have no chroma at all.
    constexpr LabCase kCases[] = {
        {"black", MakeColor(0, 0, 0), {0.0F, 0.0F, 0.0F}},
        {"white", MakeColor(255, 255, 255), {100.0F, 0.0F, 0.0F}},
        {"red", MakeColor(255, 0, 0), {53.24F, 80.09F, 67.20F}},
        {"green", MakeColor(0, 255, 0), {87.73F, -86.18F, 83.18F}},
        {"blue", MakeColor(0, 0, 255), {32.30F, 79.19F, -107.86F}},
        {"yellow", MakeColor(255, 255, 0), {97.14F, -21.55F, 94.48F}},
        {"cyan", MakeColor(0, 255, 255), {91.11F, -48.09F, -14.13F}},
        {"magenta", MakeColor(255, 0, 255), {60.32F, 98.23F, -60.82F}},
        {"middle grey 119", MakeColor(119, 119, 119), {50.03F, 0.0F, 0.0F}},
        {"dark grey 1", MakeColor(1, 1, 1), {0.27F, 0.0F, 0.0F}},
    };
    for (const LabCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const Lab lab = ColorToLab(c.color);
        EXPECT_NEAR(lab.L, c.expected.L, 0.01);
        EXPECT_NEAR(lab.a, c.expected.a, 0.01);
        EXPECT_NEAR(lab.b, c.expected.b, 0.01);
    }
}

TEST(SrgbTransfer, LinearLightRoundTripsEveryComponentAndMatchesTheCurve)
{
    EXPECT_EQ(SrgbToLinear(0), 0.0F);
    EXPECT_EQ(SrgbToLinear(255), 1.0F);
    EXPECT_NEAR(SrgbToLinear(10), 10 / 255.0 / 12.92, 1e-7); // the linear segment near black
    EXPECT_NEAR(SrgbToLinear(128), 0.2158605, 1e-6);
    for (int k = 0; k < 256; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(LinearToSrgb(SrgbToLinear(k)), k);
    }
    EXPECT_EQ(LinearToSrgb(-0.5F), 0);
    EXPECT_EQ(LinearToSrgb(1.5F), 255);
    // Half of white's light is sRGB 188 (187.5 rounds up), not 128.
    EXPECT_EQ(LinearToSrgb(0.5F), 188);
}

} // namespace
} // namespace velmora
