#include "scheme/scheme_cleanup.h"

#include "letter_scheme.h"

#include "picture/picture_loader.h"
#include "scheme/thread_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using test::Dmc;
using test::ExpectConsistent;
using test::Scheme;
using test::Snapshot;

// 666 is a bright red, 321 a darker one; 310 is black; White and B5200 share one colour.
const std::map<char, const char*> kThreads = {{'.', "White"}, {'r', "321"}, {'o', "666"}, {'k', "310"},
                                              {'b', "797"},   {'w', "B5200"}, {'x', "3799"}};

const ColourDistanceFunction kRgb = BuildColourDistance({});

// The letters of the chart, read back through kThreads.
std::vector<std::string> Rows(const SchemeDocument& doc)
{
    std::map<int, char> letterOf;
    for (const auto& [letter, name] : kThreads)
        letterOf[Dmc(name)] = letter;
    std::vector<std::string> rows;
    for (int y = 0; y < doc.chart.rows() - 2; ++y) {
        rows.emplace_back();
        for (int x = 0; x < doc.chart.columns() - 1; ++x)
            rows.back() += letterOf.at(ThreadOfStitch(doc, x, y));
    }
    return rows;
}

// The threads the legend lists, by letter, light to dark.
std::string LegendLetters(const SchemeDocument& doc)
{
    std::map<int, char> letterOf;
    for (const auto& [letter, name] : kThreads)
        letterOf[Dmc(name)] = letter;
    std::string letters;
    for (const LegendEntry& entry : SchemeThreads(doc))
        letters += letterOf.at(entry.dmc);
    return letters;
}

// Runs `pass`, checks that the scheme is consistent and that the undo gives back the scheme cell
// for cell; the rows after the pass are returned.
template <class Pass>
std::vector<std::string> RunAndUndo(SchemeDocument& doc, Pass&& pass)
{
    const Snapshot before(doc);
    const std::vector<StitchEdit> edits = pass(doc);
    ExpectConsistent(doc);
    const std::vector<std::string> rows = Rows(doc);
    UndoStitchEdits(doc, edits);
    before.ExpectSame(doc);
    return rows;
}

TEST(SchemeCleanup, ConfettiTakesTheNearestThreadAround)
{
    struct Case {
        const char* name;
        int largest;
        std::vector<std::string> rows, expected;
        std::optional<Color> source = std::nullopt; // the source picture, all of one colour
    };
    const std::vector<Case> cases = {
        {"a lone stitch takes the neighbour's thread nearest its own colour", 1,
         {"rrrkk", "rrokk", "rrrkk"}, {"rrrkk", "rrrkk", "rrrkk"}},
        {"... or nearest the source picture there", 1,
         {"rrrkk", "rrokk", "rrrkk"}, {"rrrkk", "rrkkk", "rrrkk"}, Color{0x101010}},
        {"a diagonal line stays", 1, {"k....", ".k...", "..k..", "...k."}, {"k....", ".k...", "..k..", "...k."}},
        {"a line a stitch wide stays", 1, {".....", "kkkkk", "....."}, {".....", "kkkkk", "....."}},
        {"a 2-stitch island stays with M=1", 1, {"rrrr", "rkkr", "rrrr"}, {"rrrr", "rkkr", "rrrr"}},
        {"... and goes with M=2", 2, {"rrrr", "rkkr", "rrrr"}, {"rrrr", "rrrr", "rrrr"}},
        {"a corner stitch looks at its three neighbours", 1, {"kbbb", "rrbb", "rrbb"}, {"bbbb", "rrbb", "rrbb"}},
        {"between equally near threads, the first in the catalogue", 1,
         {"ww...", "wwr..", "ww..."}, {"ww...", "ww...", "ww..."}},
        {"... whichever side it is on", 1, {"...ww", "..rww", "...ww"}, {"...ww", "...ww", "...ww"}},
        {"a lone stitch on the cloth becomes cloth", 1, {".....", "..k..", "....."}, {".....", ".....", "....."}},
        {"a hole in the cloth is filled", 1, {"kkk", "k.k", "kkk"}, {"kkk", "kkk", "kkk"}},
        {"a lone stitch joins a lone neighbour, and the pair stays with M=1", 1,
         {".....", ".ko..", "....."}, {".....", ".oo..", "....."}},
        {"... and goes with M=2, taken again", 2, {".....", ".ko..", "....."}, {".....", ".....", "....."}},
        {"no confetti: nothing changes", 1, {"..rr", "..rr", "kkbb", "kkbb"}, {"..rr", "..rr", "kkbb", "kkbb"}},
        {"one thread everywhere", 20, {"kkk", "kkk"}, {"kkk", "kkk"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SchemeDocument doc = Scheme(c.rows, kThreads);
        Bitmap source;
        if (c.source)
            source = Bitmap(static_cast<int>(c.rows.front().size()), static_cast<int>(c.rows.size()), *c.source);
        EXPECT_EQ(RunAndUndo(doc, [&](SchemeDocument& d) { return RemoveConfetti(d, c.largest, source, kRgb); }),
                  c.expected);
    }
}

// White is nearer 797 than 321 in RGB, and nearer 321 by ΔE00: a hole in the cloth between the
// two is filled as the build that made the scheme weighs colours.
TEST(SchemeCleanup, ThePerceptualBuildsSchemesWeighColoursByDeltaE)
{
    for (const bool perceptual : {false, true}) {
        SchemeDocument doc = Scheme({"rrbb", "r.bb", "rrbb"}, kThreads);
        doc.request.perceptual = perceptual;
        CleanUpScheme(doc, {false, 0, 1}, {});
        EXPECT_EQ(Rows(doc)[1], perceptual ? "rrbb" : "rbbb");
    }
}

TEST(SchemeCleanup, ConfettiThatEmptiesAThreadTakesItsRow)
{
    SchemeDocument doc = Scheme({".....", "..k..", "....."}, {{'.', "White"}, {'k', "310"}});
    RemoveConfetti(doc, 1, {}, kRgb);
    EXPECT_EQ(SchemeThreads(doc).size(), 1u);
    // Its line of backstitch keeps the row.
    doc = Scheme({".....", "..k..", "....."}, {{'.', "White"}, {'k', "310"}});
    doc.backstitches.push_back({Dmc("310"), 0, 0, 1, 1});
    RemoveConfetti(doc, 1, {}, kRgb);
    EXPECT_EQ(SchemeThreads(doc).size(), 2u);
}

TEST(SchemeCleanup, SmallThreadsMergeIntoTheirNearestNeighbours)
{
    struct Case {
        const char* name;
        int fewest;
        std::vector<std::string> rows, expected;
        std::string legend; // threads left, light to dark
    };
    const std::vector<Case> cases = {
        {"under K: into the neighbour nearest in colour", 3, {"rrrkk", "rrook", "rrrkk"}, {"rrrkk", "rrrrk", "rrrkk"},
         "rk"},
        {"at K: stays", 2, {"rrrkk", "rrook", "rrrkk"}, {"rrrkk", "rrook", "rrrkk"}, "ork"},
        {"from the edge inwards", 10, {"rrrrr", "rooor", "rooor", "rooor", "rrrrr"},
         {"rrrrr", "rrrrr", "rrrrr", "rrrrr", "rrrrr"}, "r"},
        {"a thread still under K after another merge is merged in turn", 4, {"kkkkkk", "kkoork", "kkkkkk"},
         {"kkkkkk", "kkkkkk", "kkkkkk"}, "k"},
        {"between equally near threads, the first in the catalogue", 2, {"ww...", "wwr..", "ww..."},
         {"ww...", "ww...", "ww..."}, ".w"},
        {"White, the cloth, is never merged away", 5, {"kkkk", "k..k", "kkkk"}, {"kkkk", "k..k", "kkkk"}, ".k"},
        {"a thread alone on the chart stays", 100, {"kkk", "kkk"}, {"kkk", "kkk"}, "k"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SchemeDocument doc = Scheme(c.rows, kThreads);
        RemoveUnusedThreads(doc); // the rows of kThreads not drawn
        std::string legend;
        EXPECT_EQ(RunAndUndo(doc,
                             [&](SchemeDocument& d) {
                                 auto edits = MergeSmallThreads(d, c.fewest, kRgb);
                                 legend = LegendLetters(d);
                                 return edits;
                             }),
                  c.expected);
        EXPECT_EQ(legend, c.legend);
    }
}

TEST(SchemeCleanup, UnusedRowsLeaveUnlessTheyDrawBackstitch)
{
    SchemeDocument doc = Scheme({"rrkk", "rrkk"}, kThreads);
    EXPECT_EQ(LegendLetters(doc), ".wobrxk");
    std::string legend;
    RunAndUndo(doc, [&](SchemeDocument& d) {
        auto edits = RemoveUnusedThreads(d);
        legend = LegendLetters(d);
        EXPECT_EQ(d.legend.text(LegendColumn::Name, 1), ""); // White's row stays, empty
        return edits;
    });
    EXPECT_EQ(legend, "rk");

    doc.backstitches.push_back({Dmc("3799"), 0, 0, 4, 2});
    RunAndUndo(doc, [&](SchemeDocument& d) {
        auto edits = RemoveUnusedThreads(d);
        legend = LegendLetters(d);
        return edits;
    });
    EXPECT_EQ(legend, "rxk");

    doc = Scheme({"rrkk", "rrkk"}, {{'r', "321"}, {'k', "310"}});
    EXPECT_TRUE(RemoveUnusedThreads(doc).empty());
}

TEST(SchemeCleanup, PassesRefuseCountsOutOfRange)
{
    SchemeDocument doc = Scheme({"rrkk", "rrok"}, kThreads);
    const Snapshot before(doc);
    for (const int fewest : {0, -1, kMaxFewestStitches + 1})
        EXPECT_THROW(MergeSmallThreads(doc, fewest, kRgb), ThreadEditError) << fewest;
    for (const int largest : {0, -1, kMaxConfettiGroup + 1})
        EXPECT_THROW(RemoveConfetti(doc, largest, {}, kRgb), ThreadEditError) << largest;
    // All passes chosen: the refusal of the last gives back what the first ones did.
    EXPECT_THROW(CleanUpScheme(doc, {true, 2, kMaxConfettiGroup + 1}, {}), ThreadEditError);
    before.ExpectSame(doc);
}

TEST(SchemeCleanup, SingleStitchShareCountsCellsWithNoNeighbourOfTheirThread)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        double share;
    };
    const std::vector<Case> cases = {
        {"checkerboard of four threads", {"rkrk", "bobo", "rkrk", "bobo"}, 1.0},
        {"bands", {"..rr", "..rr", "kkbb"}, 0.0},
        {"a lone stitch and a lone hole", {"k....", ".....", "kkkkk", "kk.kk"}, 2.0 / 20},
        {"a diagonal line", {"k...", ".k..", "..k."}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(SingleStitchShare(Scheme(c.rows, kThreads)), c.share);
    }
}

TEST(SchemeCleanup, CleanUpSchemeReportsEachPass)
{
    SchemeDocument doc = Scheme({"rrrkk", "rrook", "rrrkk", "rkrrr"}, kThreads);
    const Snapshot before(doc);
    const CleanupResult result = CleanUpScheme(doc, {true, 3, 1}, {});
    ExpectConsistent(doc);
    EXPECT_EQ(Rows(doc), (std::vector<std::string>{"rrrkk", "rrrrk", "rrrkk", "rrrrr"}));
    // Unused: White, B5200, 797 and 3799 leave. Fewest: 666's two stitches go to 321. Confetti:
    // the lone 310 of the last row joins 321.
    EXPECT_EQ(result.passes[0].stitches, 0);
    EXPECT_EQ(result.passes[0].rowsRemoved, 4);
    EXPECT_EQ(result.passes[0].rowsChanged, 4);
    EXPECT_EQ(result.passes[1].stitches, 2);
    EXPECT_EQ(result.passes[1].rowsRemoved, 1);
    EXPECT_EQ(result.passes[1].rowsChanged, 2);
    EXPECT_EQ(result.passes[2].stitches, 1);
    EXPECT_EQ(result.passes[2].rowsRemoved, 0);
    EXPECT_EQ(result.passes[2].rowsChanged, 2);
    UndoStitchEdits(doc, result.edits);
    before.ExpectSame(doc);
}

// A real chart: a photo mapped with error diffusion, rich in confetti.
TEST(SchemeCleanup, ARealChartIsLeftWithoutConfettiAndUndoesCellForCell)
{
    const Bitmap photo =
        LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "photo-cat-chelsea-451x300.jpg");
    SchemeDocument doc = SchemeEngine().BuildScheme(photo, MakeSchemeRequest(photo, {90, 60, 30, {}, true}));
    const Bitmap source = WorkingPicture(photo, 90, 60);
    const Snapshot before(doc);
    const double share = SingleStitchShare(doc);
    EXPECT_GT(share, 0.05);
    const CleanupResult result = CleanUpScheme(doc, {true, 20, 1}, source);
    ExpectConsistent(doc);
    EXPECT_EQ(SingleStitchShare(doc), 0.0);
    for (const LegendEntry& thread : SchemeThreads(doc))
        EXPECT_TRUE(thread.dmc == kDmcWhite || thread.stitches >= 20 || result.passes[2].stitches > 0);
    EXPECT_GT(result.passes[2].stitches, 0);
    UndoStitchEdits(doc, result.edits);
    before.ExpectSame(doc);
}

} // namespace
} // namespace velmora
