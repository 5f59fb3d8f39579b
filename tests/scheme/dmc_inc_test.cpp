#include "scheme/dmc_inc.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Thread {
    std::string name;
    std::string rrggbb;
};

// Reads the catalogue as printed on the colour card: "| 0–6 | White FFFFFF · 433 551B0F · … |".
std::vector<Thread> ReadCatalogueText()
{
    std::ifstream in(VELMORA_TEST_DATA_DIR "/dmc-catalogue.txt");
    EXPECT_TRUE(in) << "missing fixture dmc-catalogue.txt";
    std::vector<Thread> threads;
    std::string line;
    while (std::getline(in, line)) {
        const auto second = line.find('|', 1);
        const auto last = line.rfind('|');
        std::istringstream words(line.substr(second + 1, last - second - 1));
        // Entries are "name RRGGBB", separated by "·".
        std::vector<std::string> tokens;
        for (std::string word; words >> word;)
            if (word != "·")
                tokens.push_back(word);
        for (std::size_t i = 0; i + 1 < tokens.size(); i += 2)
            threads.push_back({tokens[i], tokens[i + 1]});
    }
    return threads;
}

std::string AsRrggbb(std::uint32_t color)
{
    char text[7];
    std::snprintf(text, sizeof text, "%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    return text;
}

TEST(DmcCatalogue, EveryEntryMatchesTheColourCard)
{
    const std::vector<Thread> card = ReadCatalogueText();
    ASSERT_EQ(card.size(), static_cast<std::size_t>(kDmcCount));
    for (int i = 0; i < kDmcCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(DMCTable[i].Name, card[i].name);
        EXPECT_EQ(AsRrggbb(DMCTable[i].Color), card[i].rrggbb);
    }
}

TEST(DmcCatalogue, LandmarksAndColourValues)
{
    EXPECT_STREQ(DMCTable[0].Name, "White");
    EXPECT_EQ(DMCTable[0].Color, 16777215u);
    EXPECT_STREQ(DMCTable[1].Name, "433");
    EXPECT_EQ(DMCTable[1].Color, 990037u); // 0x551B0F: red 0x55 in the low byte
    EXPECT_STREQ(DMCTable[7].Name, "Ecru");
    EXPECT_STREQ(DMCTable[384].Name, "B5200");
    EXPECT_EQ(DMCTable[384].Color, DMCTable[0].Color);
    EXPECT_EQ(DMCTable[31].Color, DMCTable[157].Color); // "800" and "827"
    EXPECT_STREQ(DMCTable[390].Name, "3746");
}

TEST(DmcCatalogue, NamesAreUnique)
{
    std::set<std::string> names;
    for (const TDMC& t : DMCTable)
        names.insert(t.Name);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kDmcCount));
}

} // namespace
} // namespace velmora
