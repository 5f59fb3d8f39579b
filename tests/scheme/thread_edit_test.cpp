#include "scheme/thread_edit.h"

#include "scheme/color_distance.h"
#include "scheme/dmc_inc.h"
#include "scheme/legend_columns.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_file.h"
#include "scheme/stitch_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

std::string Sym(int k) { return std::string(1, static_cast<char>('!' + k - 1)); }

std::vector<std::string> Symbols(int count)
{
    std::vector<std::string> symbols;
    for (int k = 1; k <= count; ++k)
        symbols.push_back(Sym(k));
    return symbols;
}

int Dmc(const std::string& name)
{
    const int dmc = FindDmc(name);
    EXPECT_GE(dmc, 0) << name;
    return dmc;
}

// The fixture's threads by stitch index y · 10 + x: White 10, 3747 20, 644 30, 433 25, 310 15
// stitches. Light to dark they are White, 3747, 644, 433, 310, so the build gives them the
// symbols 2 to 5 ('"' '#' '$' '%') and leaves symbol 1 ('!') unused for White.
const std::vector<std::pair<std::string, int>> kBands = {
    {"White", 10}, {"3747", 20}, {"644", 30}, {"433", 25}, {"310", 15}};

std::vector<int> StitchThreads()
{
    std::vector<int> threads;
    for (const auto& [name, count] : kBands)
        threads.insert(threads.end(), static_cast<std::size_t>(count), Dmc(name));
    return threads;
}

SchemeDocument BuildFixture()
{
    Bitmap source(10, 10);
    const std::vector<int> threads = StitchThreads();
    for (std::size_t i = 0; i < threads.size(); ++i)
        source.pixels()[i] = DMCTable[static_cast<std::size_t>(threads[i])].Color;
    SchemeEngine engine;
    return engine.BuildScheme(source, {10, 10, 5, Symbols(5), false});
}

struct Row {
    std::string number, symbol, thread, count;
    friend bool operator==(const Row&, const Row&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Row& r)
    {
        return out << '[' << r.number << '|' << r.symbol << '|' << r.thread << '|' << r.count << ']';
    }
};

std::vector<Row> Rows(const CellTable& legend)
{
    std::vector<Row> rows;
    for (int r = 1; r < legend.rows(); ++r)
        rows.push_back({legend.text(0, r), legend.text(1, r), legend.text(3, r), legend.text(4, r)});
    return rows;
}

const Row kNoWhite{};

// Chart, legend and picture agree: each stitch has the symbol of its thread's row and the
// thread's colour, the rows' counts are the stitches counted, and they add up to W × H.
void ExpectConsistent(const SchemeDocument& doc, const std::vector<int>& threadOfStitch)
{
    std::map<int, std::string> symbolOf;
    std::map<int, int> countOf;
    int total = 0;
    for (int r = 1; r < doc.legend.rows(); ++r) {
        if (doc.legend.text(3, r).empty())
            continue;
        const int dmc = Dmc(doc.legend.text(3, r));
        symbolOf[dmc] = doc.legend.text(1, r);
        countOf[dmc] = std::stoi(doc.legend.text(4, r));
        EXPECT_EQ(doc.legend.text(2, r), std::to_string(DMCTable[static_cast<std::size_t>(dmc)].Color));
        total += countOf[dmc];
    }
    EXPECT_EQ(total, 100);
    std::map<int, int> counted;
    for (int i = 0; i < 100; ++i) {
        const int dmc = threadOfStitch[static_cast<std::size_t>(i)];
        ASSERT_TRUE(symbolOf.contains(dmc)) << DMCTable[static_cast<std::size_t>(dmc)].Name;
        EXPECT_EQ(doc.chart.text(i % 10 + 1, i / 10 + 1), symbolOf[dmc]) << "stitch " << i;
        EXPECT_EQ(doc.picture.pixels()[static_cast<std::size_t>(i)], DMCTable[static_cast<std::size_t>(dmc)].Color);
        ++counted[dmc];
    }
    for (const auto& [dmc, count] : countOf)
        EXPECT_EQ(counted[dmc], count) << DMCTable[static_cast<std::size_t>(dmc)].Name;
    EXPECT_EQ(doc.picture, MappedPicture(doc.chart, doc.legend));
}

void ExpectSameScheme(const SchemeDocument& a, const SchemeDocument& b)
{
    EXPECT_EQ(a.chart, b.chart);
    EXPECT_EQ(a.legend, b.legend);
    EXPECT_EQ(a.picture, b.picture);
}

struct EditCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;
    std::vector<Row> legend; // rows 1.. after the header, the empty last row included
};

const std::vector<EditCase> kEditCases = {
    {"a new thread takes the symbol and moves up to its brightness",
     {{"644", "Ecru"}},
     {{"1", "", "White", "10"},
      {"2", Sym(3), "Ecru", "30"},
      {"3", Sym(2), "3747", "20"},
      {"4", Sym(4), "433", "25"},
      {"5", Sym(5), "310", "15"},
      {}}},
    {"a merge keeps the row that stays and its symbol",
     {{"644", "3747"}},
     {{"1", "", "White", "10"}, {"2", Sym(2), "3747", "50"}, {"3", Sym(4), "433", "25"}, {"4", Sym(5), "310", "15"}, {}}},
    {"merged into White the stitches become empty",
     {{"433", "White"}},
     {{"1", "", "White", "35"}, {"2", Sym(2), "3747", "20"}, {"3", Sym(3), "644", "30"}, {"4", Sym(5), "310", "15"}, {}}},
    {"White merged into a thread leaves its row empty",
     {{"White", "644"}},
     {kNoWhite, {"1", Sym(2), "3747", "20"}, {"2", Sym(3), "644", "40"}, {"3", Sym(4), "433", "25"}, {"4", Sym(5), "310", "15"}, {}}},
    {"the lightest replaced: the new thread takes the first free symbol",
     {{"White", "321"}},
     {kNoWhite,
      {"1", Sym(2), "3747", "20"},
      {"2", Sym(3), "644", "30"},
      {"3", Sym(1), "321", "10"},
      {"4", Sym(4), "433", "25"},
      {"5", Sym(5), "310", "15"},
      {}}},
    {"the darkest replaced by B5200 sorts after White, as bright, as the build keeps ties",
     {{"310", "B5200"}},
     {{"1", "", "White", "10"},
      {"2", Sym(5), "B5200", "15"},
      {"3", Sym(2), "3747", "20"},
      {"4", Sym(3), "644", "30"},
      {"5", Sym(4), "433", "25"},
      {}}},
    {"a chain of merges down to two threads, then White replaced",
     {{"644", "3747"}, {"3747", "310"}, {"310", "White"}, {"White", "3747"}},
     {kNoWhite, {"1", Sym(1), "3747", "75"}, {"2", Sym(4), "433", "25"}, {}}},
    {"a replacement taken back by the opposite one",
     {{"644", "Ecru"}, {"Ecru", "644"}},
     {{"1", "", "White", "10"},
      {"2", Sym(2), "3747", "20"},
      {"3", Sym(3), "644", "30"},
      {"4", Sym(4), "433", "25"},
      {"5", Sym(5), "310", "15"},
      {}}},
};

// The fixture has lines of backstitch in 310, 644 and White: each edit carries a replaced thread's
// lines to the new thread, and its undo brings them back.
TEST(ReplaceThread, TableOfEditsAndTheirUndo)
{
    SchemeDocument built = BuildFixture();
    ASSERT_EQ(Rows(built.legend), kEditCases.back().legend) << "the fixture's build";
    built.backstitches = {{Dmc("310"), 0, 0, 10, 10}, {Dmc("644"), 1, 1, 2, 1}, {Dmc("White"), 3, 0, 3, 4},
                          {Dmc("310"), 10, 0, 0, 10}};
    for (const EditCase& c : kEditCases) {
        SCOPED_TRACE(c.name);
        SchemeDocument doc = built;
        std::vector<int> threads = StitchThreads();
        std::vector<int> lineThreads;
        for (const Backstitch& line : built.backstitches)
            lineThreads.push_back(line.dmc);
        std::vector<ThreadEdit> edits;
        for (const auto& [from, to] : c.edits) {
            edits.push_back(ReplaceThread(doc, Dmc(from), Dmc(to)));
            for (std::vector<int>* list : {&threads, &lineThreads})
                for (int& t : *list)
                    t = t == Dmc(from) ? Dmc(to) : t;
            ExpectConsistent(doc, threads);
            for (std::size_t i = 0; i < lineThreads.size(); ++i)
                EXPECT_EQ(doc.backstitches[i], (Backstitch{lineThreads[i], built.backstitches[i].x1, built.backstitches[i].y1,
                                                           built.backstitches[i].x2, built.backstitches[i].y2}));
        }
        EXPECT_EQ(Rows(doc.legend), c.legend);
        // The edited scheme is one the scheme file keeps as it is: every line's thread has a row.
        const SchemeDocument read = ParseSchemeFile(SchemeFileText(doc));
        ExpectSameScheme(read, doc);
        EXPECT_EQ(read.backstitches, doc.backstitches);

        for (auto it = edits.rbegin(); it != edits.rend(); ++it)
            UndoThreadEdit(doc, *it);
        ExpectSameScheme(doc, built);
        EXPECT_EQ(doc.backstitches, built.backstitches);
    }
}

// A thread of lines only: its row (no crosses) and its lines go to the new thread, and come back.
TEST(ReplaceThread, AThreadOfLinesOnly)
{
    SchemeDocument doc = BuildFixture();
    doc.backstitches = {{Dmc("433"), 0, 0, 1, 1}};
    AddBackstitch(doc, {Dmc("321"), 2, 2, 5, 2});
    const SchemeDocument before = doc;
    const ThreadEdit edit = ReplaceThread(doc, Dmc("321"), Dmc("700"));
    EXPECT_EQ(doc.backstitches, (std::vector<Backstitch>{{Dmc("433"), 0, 0, 1, 1}, {Dmc("700"), 2, 2, 5, 2}}));
    const auto rows = Rows(doc.legend);
    EXPECT_TRUE(std::ranges::any_of(rows, [](const Row& r) { return r.thread == "700" && r.count == "0"; }));
    try {
        ParseSchemeFile(SchemeFileText(doc));
    } catch (const SchemeFileError& e) {
        ADD_FAILURE() << e.what();
    }
    UndoThreadEdit(doc, edit);
    ExpectSameScheme(doc, before);
    EXPECT_EQ(doc.backstitches, before.backstitches);
}

TEST(ReplaceThread, RefusedEditsLeaveTheSchemeAsItWas)
{
    const SchemeDocument built = BuildFixture();
    struct Refusal {
        int from, to;
        const char* message;
    };
    const std::vector<Refusal> refusals = {
        {Dmc("321"), Dmc("310"), "thread 321 is not in the scheme"},
        {Dmc("310"), Dmc("310"), "thread 310 cannot replace itself"},
        {Dmc("310"), kDmcCount, "no catalogue thread has the index 391"},
        {-1, Dmc("310"), "thread -1 is not in the scheme"},
    };
    for (const Refusal& r : refusals) {
        SchemeDocument doc = built;
        try {
            ReplaceThread(doc, r.from, r.to);
            ADD_FAILURE() << r.message;
        } catch (const ThreadEditError& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
            EXPECT_FALSE(e.russian().empty());
        }
        ExpectSameScheme(doc, built);
    }

}

// A legend's thread names are the scheme's Windows-1251 texts; the messages that quote one are
// UTF-8 like every other, so the window shows them without guessing.
TEST(SchemeThreads, AnUnknownNameIsQuotedInUtf8)
{
    SchemeDocument doc = BuildFixture();
    doc.legend.setText(LegendColumn::Name, 1, "\xcc\xee\xf0\xe5"); // "Море" in Windows-1251
    try {
        SchemeThreads(doc);
        ADD_FAILURE() << "an unknown thread was taken";
    } catch (const ThreadEditError& e) {
        EXPECT_EQ(std::string(e.what()), "the legend names thread Море, which is not in the catalogue");
        EXPECT_EQ(e.russian(), "в легенде нитка Море, которой нет в каталоге");
    }
}

// A thread that comes in for White in a scheme whose symbol list is used up or unknown (a file
// written before files kept it) takes the first free symbol of the default spread, code 48.
TEST(ReplaceThread, SymbolForWhitesStitchesBeyondTheList)
{
    SchemeDocument doc = BuildFixture();
    doc.request.symbols = {"", Sym(2), Sym(3), Sym(4), Sym(5)};
    ReplaceThread(doc, kDmcWhite, Dmc("321"));
    EXPECT_EQ(doc.legend.text(1, 4), "0"); // row 1 is White's, empty now
    EXPECT_EQ(doc.legend.text(3, 4), "321");
    EXPECT_EQ(doc.chart.text(1, 1), "0");
    EXPECT_EQ(ParseSchemeFile(SchemeFileText(doc)).chart, doc.chart);
}

// A photo's scheme with error diffusion: each thread in turn merged into the next darker one,
// down to one thread, then everything undone.
TEST(ReplaceThread, MergingAPhotoDownToOneThreadAndBack)
{
    const Bitmap source = LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "photo-astronaut-512x512.bmp");
    SchemeEngine engine;
    const SchemeDocument built = engine.BuildScheme(source, {60, 40, 20, Symbols(20), true});
    SchemeDocument doc = built;
    std::vector<ThreadEdit> edits;
    for (std::vector<LegendEntry> threads = SchemeThreads(doc); threads.size() > 1; threads = SchemeThreads(doc)) {
        edits.push_back(ReplaceThread(doc, threads[0].dmc, threads[1].dmc));
        EXPECT_EQ(doc.picture, MappedPicture(doc.chart, doc.legend));
        int total = 0;
        for (const LegendEntry& t : SchemeThreads(doc))
            total += t.stitches;
        EXPECT_EQ(total, 60 * 40);
    }
    EXPECT_EQ(SchemeThreads(doc).size(), 1u);
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
        UndoThreadEdit(doc, *it);
    ExpectSameScheme(doc, built);
}

// White's nearest are its twin B5200 (the same colour), then the near-whites; the rest follow by
// distance, and White itself is not offered.
TEST(ThreadsNearestFirst, OrdersTheCatalogueByColourDistance)
{
    const std::vector<int> order = ThreadsNearestFirst(kDmcWhite);
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kDmcCount - 1));
    EXPECT_EQ(order.front(), Dmc("B5200"));
    EXPECT_EQ(std::count(order.begin(), order.end(), kDmcWhite), 0);
    const Color white = DMCTable[kDmcWhite].Color;
    for (std::size_t k = 1; k < order.size(); ++k) {
        const int before = ColorDistance(DMCTable[static_cast<std::size_t>(order[k - 1])].Color, white);
        const int after = ColorDistance(DMCTable[static_cast<std::size_t>(order[k])].Color, white);
        EXPECT_TRUE(before < after || (before == after && order[k - 1] < order[k])) << k;
    }
    // Black's farthest are the two whites, equally far, in catalogue order.
    const std::vector<int> fromBlack = ThreadsNearestFirst(Dmc("310"));
    EXPECT_EQ(fromBlack[fromBlack.size() - 2], kDmcWhite);
    EXPECT_EQ(fromBlack.back(), Dmc("B5200"));
}

} // namespace
} // namespace velmora
