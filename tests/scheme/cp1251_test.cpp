#include "scheme/cp1251.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(Cp1251, ConvertsTheProgramsTextsToUtf8AndBack)
{
    struct Case {
        const char* cp1251;
        const char* utf8;
    };
    const Case cases[] = {
        {"\xD1\xF5\xE5\xEC\xE0", "Схема"},
        {"\xB9", "№"},
        {"\xA8\xB8", "Ёё"},
        {"\xCA\xF0\xE5\xF1\xF2\xE8\xEA\xEE\xE2", "Крестиков"},
        {"B5200", "B5200"},
        {"\x88\x96\x97\xAB\xBB", "€–—«»"},
        {"\xC0\xDF\xE0\xFF", "АЯая"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Cp1251ToUtf8(c.cp1251), c.utf8);
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251);
    }
}

TEST(Cp1251, EveryByteHasACharacterAndRoundTrips)
{
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << b;
    }
    EXPECT_EQ(Utf8ToCp1251("日本"), "??");
}

} // namespace
} // namespace velmora
