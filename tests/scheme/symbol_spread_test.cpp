#include "scheme/symbol_spread.h"

#include <gtest/gtest.h>

#include <set>

namespace velmora {
namespace {

TEST(DefaultSymbols, SpreadOverTheCandidates)
{
    using Codes = std::vector<std::uint8_t>;
    EXPECT_EQ(DefaultSymbolCodes(2), (Codes{48, 255}));
    EXPECT_EQ(DefaultSymbolCodes(4), (Codes{48, 151, 203, 255}));

    const Codes thirty = DefaultSymbolCodes(30);
    EXPECT_EQ(Codes(thirty.begin(), thirty.begin() + 4), (Codes{48, 60, 67, 74}));
    EXPECT_EQ(thirty.back(), 255);

    const Codes hundred = DefaultSymbolCodes(100);
    EXPECT_EQ(Codes(hundred.begin(), hundred.begin() + 4), (Codes{48, 51, 53, 55}));
}

TEST(DefaultSymbols, AllDifferentForEveryColourCount)
{
    for (int n = 2; n <= 100; ++n) {
        const auto codes = DefaultSymbolCodes(n);
        ASSERT_EQ(codes.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(std::set<std::uint8_t>(codes.begin(), codes.end()).size(), codes.size()) << n;
        EXPECT_EQ(codes.front(), 48) << n;
        EXPECT_EQ(codes.back(), 255) << n;
    }
}

} // namespace
} // namespace velmora
