#include "scheme/scheme_builder.h"

#include "scheme/color_distance.h"
#include "scheme/dmc_inc.h"
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "scheme/symbol_spread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// Distinct one-byte symbols, '!' for row 1, '"' for row 2, and so on.
std::vector<std::string> Symbols(int count)
{
    std::vector<std::string> symbols;
    for (int k = 0; k < count; ++k)
        symbols.emplace_back(1, static_cast<char>('!' + k));
    return symbols;
}

std::string Sym(int row) { return std::string(1, static_cast<char>('!' + row - 1)); }

SchemeRequest Request(int width, int height, int colors, bool dithering = false)
{
    return {width, height, colors, Symbols(colors), dithering};
}

struct LegendRow {
    std::string number, symbol, color, thread, crosses;
    friend bool operator==(const LegendRow&, const LegendRow&) = default;
    friend std::ostream& operator<<(std::ostream& out, const LegendRow& r)
    {
        return out << '[' << r.number << '|' << r.symbol << '|' << r.color << '|' << r.thread << '|' << r.crosses
                   << ']';
    }
};

std::vector<LegendRow> LegendRows(const CellTable& legend)
{
    std::vector<LegendRow> rows;
    for (int r = 1; r < legend.rows(); ++r)
        rows.push_back({legend.text(0, r), legend.text(1, r), legend.text(2, r), legend.text(3, r), legend.text(4, r)});
    return rows;
}

const LegendRow kEmptyRow{};

// Every symbol cell of the chart, row by row.
std::vector<std::string> ChartSymbols(const CellTable& chart)
{
    std::vector<std::string> symbols;
    for (int r = 1; r + 1 < chart.rows(); ++r) {
        for (int c = 1; c < chart.columns(); ++c)
            symbols.push_back(chart.text(c, r));
    }
    return symbols;
}

Color Hex(std::uint32_t rrggbb) { return MakeColor(rrggbb >> 16, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF); }

// The chart size the wizard and velmora-cli choose for the same picture and the same sides given.
TEST(MakeSchemeRequest, ChartSizeFollowsThePictureWhereASideIsOpen)
{
    struct Case {
        int pictureWidth, pictureHeight;
        std::optional<int> width, height;
        int wantWidth, wantHeight;
    };
    const Case cases[] = {
        {40, 20, {}, {}, 40, 20},      // the picture's own size
        {5, 2000, {}, {}, 10, 1000},   // held to the stitch range
        {40, 20, 80, {}, 80, 40},      // the height follows the width
        {40, 20, {}, 10, 20, 10},      // the width follows the height
        {45, 20, 30, {}, 30, 13},      // truncated
        {40, 20, 15, {}, 15, 10},      // the follower held to the range
        {3000, 10, {}, 500, 1000, 500}, //  … at both ends
        {40, 20, 50, 70, 50, 70},      // both sides as given
    };
    for (const Case& c : cases) {
        const SchemeRequest request =
            MakeSchemeRequest(Bitmap(c.pictureWidth, c.pictureHeight), {c.width, c.height, 4, {}, false});
        EXPECT_EQ(request.width, c.wantWidth) << c.pictureWidth << "x" << c.pictureHeight;
        EXPECT_EQ(request.height, c.wantHeight) << c.pictureWidth << "x" << c.pictureHeight;
    }
}

// velmora-cli's choice with no side set: the picture's proportions within the stitch range.
TEST(MakeSchemeRequest, OpenSidesCanKeepTheProportions)
{
    struct Case {
        int pictureWidth, pictureHeight;
        int wantWidth, wantHeight;
    };
    const Case cases[] = {
        {1920, 1280, 1000, 666}, // the longer side brought to 1000, the other truncated
        {1280, 1920, 666, 1000},
        {451, 300, 451, 300},    // within the range: the picture's own size
        {1000, 1000, 1000, 1000},
        {5, 3, 16, 10},          // the shorter side brought up to 10
        {3, 2000, 10, 1000},     // the shorter side held to 10 where the longer reached 1000
        {8, 2000, 10, 1000},
        {5, 5, 10, 10},
        {1, 1, 10, 10},
        {32768, 1, 1000, 10},
    };
    for (const Case& c : cases) {
        SchemeChoices choices;
        choices.colorCount = 4;
        choices.openSides = OpenSides::Proportional;
        const SchemeRequest request = MakeSchemeRequest(Bitmap(c.pictureWidth, c.pictureHeight), choices);
        EXPECT_EQ(request.width, c.wantWidth) << c.pictureWidth << "x" << c.pictureHeight;
        EXPECT_EQ(request.height, c.wantHeight) << c.pictureWidth << "x" << c.pictureHeight;
    }
    // One side set: as ever, the other follows.
    SchemeChoices widthOnly;
    widthOnly.width = 500;
    widthOnly.colorCount = 4;
    widthOnly.openSides = OpenSides::Proportional;
    EXPECT_EQ(MakeSchemeRequest(Bitmap(1920, 1280), widthOnly).height, 333);
}

TEST(MakeSchemeRequest, SymbolsAreTheDefaultSpreadUnlessChosen)
{
    const Bitmap picture(20, 20);
    SchemeChoices choices;
    EXPECT_EQ(choices.colorCount, kDefaultColors);
    EXPECT_EQ(MakeSchemeRequest(picture, choices).symbols, DefaultSymbolTexts(kDefaultColors));

    choices.colorCount = 3;
    choices.symbols = Symbols(3);
    choices.dithering = true;
    const SchemeRequest chosen = MakeSchemeRequest(picture, choices);
    EXPECT_EQ(chosen.symbols, Symbols(3));
    EXPECT_EQ(chosen.colorCount, 3);
    EXPECT_TRUE(chosen.dithering);

    // A count out of range is kept for the build to refuse with its own message.
    SchemeChoices tooMany;
    tooMany.colorCount = kMaxColors + 1;
    const SchemeRequest refused = MakeSchemeRequest(picture, tooMany);
    EXPECT_EQ(refused.colorCount, kMaxColors + 1);
    EXPECT_THROW(SchemeEngine().BuildScheme(picture, refused), std::invalid_argument);
}

TEST(BuildScheme, FrameLegendAndChartOfATenByTenScheme)
{
    const Color thread433 = Hex(0x551B0F), thread310 = Hex(0x000000);
    Bitmap source(10, 10, thread433);
    source.setPixel(9, 9, thread310);
    SchemeEngine engine;
    const SchemeDocument doc = engine.BuildScheme(source, Request(10, 10, 2));

    EXPECT_EQ(doc.picture, source);
    ASSERT_EQ(doc.chart.columns(), 11);
    ASSERT_EQ(doc.chart.rows(), 12);
    EXPECT_EQ(doc.chart.text(0, 0), "");
    EXPECT_EQ(doc.chart.text(1, 0), " 1");
    EXPECT_EQ(doc.chart.text(10, 0), " 10");
    EXPECT_EQ(doc.chart.rotation(10, 0), 90);
    EXPECT_EQ(doc.chart.text(0, 10), "10");
    EXPECT_EQ(doc.chart.rotation(0, 10), 0);
    EXPECT_EQ(doc.chart.text(1, 1), Sym(1));
    EXPECT_EQ(doc.chart.text(10, 10), Sym(2)); // the bottom-right stitch, black, the darker thread
    for (int c = 0; c <= 10; ++c)
        EXPECT_EQ(doc.chart.text(c, 11), "");

    ASSERT_EQ(doc.legend.columns(), 5);
    EXPECT_EQ(doc.legend.text(0, 0), "\xb9");
    EXPECT_EQ(doc.legend.text(4, 0), "\xca\xf0\xe5\xf1\xf2\xe8\xea\xee\xe2");
    EXPECT_EQ(LegendRows(doc.legend), (std::vector<LegendRow>{
                                          kEmptyRow,
                                          {"1", Sym(1), "990037", "433", "99"},
                                          {"2", Sym(2), "0", "310", "1"},
                                          kEmptyRow,
                                      }));
    EXPECT_EQ(engine.Reduction.PaletteStitches, (std::vector<int>{99, 1}));
    EXPECT_EQ(std::accumulate(engine.DMCUsed.begin(), engine.DMCUsed.end(), 0), 2);
}

TEST(BuildScheme, WhiteAndThreadsOfTheSameColour)
{
    struct Case {
        const char* name;
        Color first, second; // left and right half of the picture
        std::vector<LegendRow> legend;
        std::vector<int> threads; // PaletteDMC after the build, sorted
        std::string firstSymbol, secondSymbol; // of every stitch in each half
    };
    const std::string white = "16777215";
    const Case cases[] = {
        {"one colour, White", kWhite, kWhite, {{"1", "", white, "White", "100"}, kEmptyRow}, {kDmcWhite}, "", ""},
        {"one colour, not White",
         Hex(0x551B0F),
         Hex(0x551B0F),
         {kEmptyRow, {"1", Sym(1), "990037", "433", "100"}, kEmptyRow},
         {1},
         Sym(1),
         Sym(1)},
        // The later palette entry (FFFFFF) picks first and gets White; FEFEFE gets B5200 of the
        // same colour. Ties in the mapping go to entry 0 (B5200), so White keeps no stitch, and
        // the chart shows B5200's symbol where the mapping put B5200.
        {"two colours nearest White",
         Hex(0xFEFEFE),
         kWhite,
         {{"2", "", white, "White", "0"}, {"1", Sym(1), white, "B5200", "100"}, kEmptyRow},
         {384, kDmcWhite},
         Sym(1),
         Sym(1)},
        {"threads 800 and 827 of one colour",
         Hex(0xD1EEFE),
         Hex(0xD1EEFF),
         {kEmptyRow, {"1", Sym(1), "16772817", "800", "100"}, {"2", Sym(2), "16772817", "827", "0"}, kEmptyRow},
         {31, 157},
         Sym(1),
         Sym(1)},
        {"White takes no symbol, the next entry keeps its own",
         kWhite,
         Hex(0x551B0F),
         {{"1", "", white, "White", "50"}, {"2", Sym(2), "990037", "433", "50"}, kEmptyRow},
         {kDmcWhite, 1},
         "",
         Sym(2)},
    };
    for (const bool dithering : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (dithering ? ", dithering" : ""));
            Bitmap source(10, 10, c.first);
            for (int y = 0; y < 10; ++y) {
                for (int x = 5; x < 10; ++x)
                    source.setPixel(x, y, c.second);
            }
            SchemeEngine engine;
            const SchemeDocument doc = engine.BuildScheme(source, Request(10, 10, 4, dithering));
            EXPECT_EQ(LegendRows(doc.legend), c.legend);
            EXPECT_EQ(engine.Reduction.PaletteDMC, c.threads);
            std::vector<std::string> expected;
            for (int i = 0; i < 100; ++i)
                expected.push_back(i % 10 < 5 ? c.firstSymbol : c.secondSymbol);
            EXPECT_EQ(ChartSymbols(doc.chart), expected);
            for (int t : c.threads)
                EXPECT_EQ(engine.DMCUsed[static_cast<std::size_t>(t)], 1);
        }
    }
}

TEST(BuildScheme, LegendRunsFromLightToDark)
{
    // 433 (dark), 3747 (lightest), 644 (light): no more colours than asked, so each is its own
    // palette entry with its exact thread.
    Bitmap source(10, 10, Hex(0x551B0F));
    for (int x = 0; x < 10; ++x) {
        source.setPixel(x, 0, Hex(0xD0E9FF));
        source.setPixel(x, 1, Hex(0xE4DABF));
        source.setPixel(x, 2, Hex(0xE4DABF));
    }
    SchemeEngine engine;
    const SchemeDocument doc = engine.BuildScheme(source, Request(10, 10, 5));
    EXPECT_EQ(LegendRows(doc.legend), (std::vector<LegendRow>{
                                          kEmptyRow,
                                          {"1", Sym(1), std::to_string(Hex(0xD0E9FF)), "3747", "10"},
                                          {"2", Sym(2), std::to_string(Hex(0xE4DABF)), "644", "20"},
                                          {"3", Sym(3), "990037", "433", "70"},
                                          kEmptyRow,
                                      }));
    EXPECT_EQ(doc.chart.text(1, 1), Sym(1));
    EXPECT_EQ(doc.chart.text(10, 3), Sym(2));
    EXPECT_EQ(doc.chart.text(5, 4), Sym(3));
}

TEST(BuildScheme, RefusesRequestsOutOfRangeAndKeepsTheLastBuild)
{
    SchemeEngine engine;
    const Bitmap source(12, 12, Hex(0x551B0F));
    engine.BuildScheme(source, Request(10, 10, 2));
    const std::vector<int> threads = engine.Reduction.PaletteDMC;

    struct Case {
        const char* name;
        SchemeRequest request;
    };
    SchemeRequest fewSymbols = Request(10, 10, 5);
    fewSymbols.symbols.pop_back();
    const Case cases[] = {
        {"width 9", Request(9, 10, 2)},       {"width 1001", Request(1001, 10, 2)},
        {"height 9", Request(10, 9, 2)},      {"height 1001", Request(10, 1001, 2)},
        {"1 colour", Request(10, 10, 1)},     {"101 colours", Request(10, 10, 101)},
        {"fewer symbols than colours", fewSymbols},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(engine.BuildScheme(Bitmap(12, 12, kWhite), c.request), std::invalid_argument);
        EXPECT_EQ(engine.Reduction.PaletteDMC, threads);
    }
    EXPECT_THROW(engine.BuildScheme(Bitmap(), Request(10, 10, 2)), PictureError);
    EXPECT_EQ(engine.Reduction.PaletteDMC, threads);
}

// Properties of schemes built from real pictures.
class RealPictures : public testing::Test {
protected:
    static std::vector<std::filesystem::path> Photos()
    {
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos"))
            paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

void CheckScheme(const SchemeDocument& doc, const SchemeEngine& engine, const SchemeRequest& request)
{
    const int w = request.width, h = request.height;
    ASSERT_EQ(doc.picture.width(), w);
    ASSERT_EQ(doc.picture.height(), h);
    ASSERT_EQ(doc.chart.columns(), w + 1);
    ASSERT_EQ(doc.chart.rows(), h + 2);

    const int entries = engine.Reduction.PaletteSize;
    EXPECT_GE(entries, 1);
    EXPECT_LE(entries, request.colorCount);

    // Legend: sorted positions 1..P, White in row 1, no thread twice, crosses add up.
    const std::vector<LegendRow> rows = LegendRows(doc.legend);
    std::map<std::string, Color> colorOfSymbol; // "" stands for White
    std::map<int, std::pair<Color, std::string>> byPosition;
    std::set<std::string> threads;
    long crosses = 0;
    int previousKey = -1000;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const LegendRow& row = rows[r];
        if (row == kEmptyRow)
            continue;
        EXPECT_NE(r + 1, rows.size()) << "the last row is empty";
        EXPECT_EQ(row.thread == "White", r == 0);
        EXPECT_TRUE(threads.insert(row.thread).second) << row.thread << " twice";
        const int k = std::stoi(row.number);
        const Color color = static_cast<Color>(std::stoul(row.color));
        EXPECT_EQ(row.symbol, row.thread == "White" ? "" : request.symbols[static_cast<std::size_t>(k - 1)]);
        if (r > 0) {
            EXPECT_GE(BrightnessKey(color), previousKey) << "light to dark";
            previousKey = BrightnessKey(color);
        }
        colorOfSymbol[row.symbol] = color;
        byPosition[k] = {color, row.symbol};
        crosses += std::stol(row.crosses);
    }
    EXPECT_EQ(static_cast<int>(byPosition.size()), entries);
    EXPECT_EQ(crosses, long{w} * h);

    std::set<Color> colors;
    for (const auto& [k, entry] : byPosition)
        colors.insert(entry.first);
    const bool colorsDistinct = colors.size() == byPosition.size();

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::string symbol = doc.chart.text(x + 1, y + 1);
            const Color pixel = doc.picture.pixel(x, y);
            const auto found = colorOfSymbol.find(symbol);
            ASSERT_NE(found, colorOfSymbol.end()) << "symbol of stitch " << x << ", " << y << " not in the legend";
            ASSERT_EQ(found->second, pixel) << "stitch " << x << ", " << y;
            if (colorsDistinct) {
                // Telling the entries apart by thread colour gives the same chart.
                std::string byColor = "?";
                for (int k = entries; k >= 1; --k) {
                    if (byPosition[k].first == pixel) {
                        byColor = byPosition[k].second;
                        break;
                    }
                }
                ASSERT_EQ(symbol, byColor);
            }
        }
    }
}

TEST_F(RealPictures, SchemesAreConsistent)
{
    const std::vector<std::filesystem::path> photos = Photos();
    ASSERT_FALSE(photos.empty()) << "no photos in " << VELMORA_CORPUS_DIR << "/photos";
    for (const auto& path : photos) {
        const Bitmap source = LoadPicture(path);
        for (const int colors : {2, 9, 30, 100}) {
            for (const bool dithering : {false, true}) {
                SCOPED_TRACE(path.filename().string() + ", " + std::to_string(colors) + " colours" +
                             (dithering ? ", dithering" : ""));
                const SchemeRequest request = Request(80, 60, colors, dithering);
                SchemeEngine engine;
                const SchemeDocument doc = engine.BuildScheme(source, request);
                CheckScheme(doc, engine, request);
            }
        }
    }
}

// A source the caller gives up becomes the working picture when it has the chart's size: the
// scheme must be the one built from a copy, the pixels' high bits still dropped.
TEST_F(RealPictures, AGivenUpSourceBuildsTheSameScheme)
{
    const Bitmap photo =
        LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "photo-cat-chelsea-451x300.jpg");
    for (const auto& [width, height] : {std::pair{451, 300}, std::pair{120, 80}}) {
        for (const bool dithering : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + (dithering ? ", dithering" : ""));
            Bitmap source = photo;
            for (std::size_t i = 0; i < source.pixels().size(); i += 7)
                source.pixels()[i] |= 0xFF000000;
            const SchemeRequest request = Request(width, height, 30, dithering);
            SchemeEngine kept, given;
            const SchemeDocument fromCopy = kept.BuildScheme(source, request);
            const SchemeDocument fromSource = given.BuildScheme(std::move(source), request);
            EXPECT_EQ(fromSource.picture, fromCopy.picture);
            EXPECT_EQ(fromSource.chart, fromCopy.chart);
            EXPECT_EQ(fromSource.legend, fromCopy.legend);
            EXPECT_EQ(given.Reduction.HistColors, kept.Reduction.HistColors);
            EXPECT_EQ(given.DMCUsed, kept.DMCUsed);
        }
    }
}

TEST_F(RealPictures, DitheringChangesTheMapping)
{
    const Bitmap source =
        LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "photo-astronaut-512x512.bmp");
    SchemeEngine engine;
    const SchemeDocument plain = engine.BuildScheme(source, Request(60, 60, 6, false));
    const std::vector<int> plainThreads = engine.Reduction.PaletteDMC;
    const SchemeDocument dithered = engine.BuildScheme(source, Request(60, 60, 6, true));
    EXPECT_EQ(engine.Reduction.PaletteDMC, plainThreads); // same palette and threads
    EXPECT_NE(plain.picture, dithered.picture);
}

} // namespace
} // namespace velmora
