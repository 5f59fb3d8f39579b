#include "scheme/stitch_edit.h"

#include "scheme/dmc_inc.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "scheme/thread_edit.h"

#include "letter_scheme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace velmora {
namespace {

using test::Dmc;
using test::ExpectConsistent;
using test::Scheme;
using test::Snapshot;

const std::map<char, const char*> kThreads = {{'.', "White"}, {'r', "321"}, {'b', "797"}, {'k', "310"}};

TEST(StitchEdit, SetStitchesKeepsLegendCountsAndUndoesCellForCell)
{
    struct Case {
        const char* name;
        std::vector<StitchChange> changes;
        std::vector<std::pair<const char*, int>> counts; // thread, crosses after the edit
    };
    const std::vector<Case> cases = {
        {"pencil on one stitch", {{0, Dmc("310")}}, {{"White", 3}, {"321", 6}, {"797", 6}, {"310", 9}}},
        {"erase to the cloth", {{23, Dmc("White")}, {22, Dmc("White")}}, {{"White", 6}, {"310", 6}}},
        {"a stitch named twice takes the last thread", {{0, Dmc("310")}, {0, Dmc("321")}}, {{"White", 3}, {"321", 7}, {"310", 8}}},
        {"a thread new to the scheme joins with a symbol", {{7, Dmc("Ecru")}}, {{"Ecru", 1}, {"White", 3}}},
        {"a thread left with no crosses keeps its row",
         {{16, Dmc("White")}, {17, Dmc("White")}, {18, Dmc("White")}, {19, Dmc("White")}, {20, Dmc("White")},
          {21, Dmc("White")}, {22, Dmc("White")}, {23, Dmc("White")}},
         {{"310", 0}, {"White", 12}}},
        {"setting a stitch to its own thread changes nothing", {{0, Dmc("White")}}, {{"White", 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SchemeDocument doc = Scheme({"..rrrr", "..bbrr", "bbbbkk", "kkkkkk"}, kThreads);
        const Snapshot before(doc);
        const StitchEdit edit = SetStitches(doc, c.changes);
        ExpectConsistent(doc);
        std::map<int, int> counts;
        for (const LegendEntry& entry : SchemeThreads(doc))
            counts[entry.dmc] = entry.stitches;
        for (const auto& [name, count] : c.counts) {
            ASSERT_TRUE(counts.contains(Dmc(name))) << name;
            EXPECT_EQ(counts[Dmc(name)], count) << name;
        }
        for (const LegendEntry& entry : SchemeThreads(doc))
            EXPECT_EQ(entry.symbol.empty(), entry.dmc == kDmcWhite);
        UndoStitchEdit(doc, edit);
        before.ExpectSame(doc);
    }
}

TEST(StitchEdit, RefusedChangesLeaveTheSchemeAsItWas)
{
    const std::vector<std::vector<StitchChange>> refused = {
        {{-1, Dmc("310")}}, {{24, Dmc("310")}}, {{0, -1}}, {{0, kDmcCount}}, {{0, Dmc("310")}, {99, Dmc("310")}}};
    for (const auto& changes : refused) {
        SchemeDocument doc = Scheme({"..rrrr", "..bbrr", "bbbbkk", "kkkkkk"}, kThreads);
        const Snapshot before(doc);
        EXPECT_THROW(SetStitches(doc, changes), ThreadEditError);
        before.ExpectSame(doc);
    }
}

TEST(StitchEdit, ConnectedStitchesFollowFourNeighboursOnly)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::int32_t start;
        std::size_t size;
    };
    const std::vector<Case> cases = {
        {"a checkerboard cell stands alone", {"rkrkrk", "krkrkr", "rkrkrk", "krkrkr"}, 7, 1},
        {"a hook winding back into itself, not the pair beside it", {"rrrrrr", ".....r", "r.rr.r", "r.rrrr"}, 0, 14},
        {"the cloth inside the hook", {"rrrrrr", ".....r", "r.rr.r", "r.rrrr"}, 6, 8},
        {"one thread everywhere", {"kkkkkk", "kkkkkk", "kkkkkk", "kkkkkk"}, 23, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SchemeDocument doc = Scheme(c.rows, kThreads);
        const std::vector<std::int32_t> area = ConnectedStitches(doc, c.start);
        EXPECT_EQ(area.size(), c.size);
        EXPECT_EQ(area.front(), c.start);
        for (const std::int32_t stitch : area)
            EXPECT_EQ(ThreadOfStitch(doc, stitch % 6, stitch / 6), ThreadOfStitch(doc, c.start % 6, c.start / 6));
    }
}

TEST(StitchEdit, BackstitchesJoinTheLegendAndUndo)
{
    SchemeDocument doc = Scheme({"..rrrr", "..bbrr", "bbbbkk", "kkkkkk"}, kThreads);
    const Snapshot before(doc);
    const Backstitch outline{Dmc("3799"), 0, 0, 6, 4};
    const StitchEdit added = AddBackstitch(doc, outline);
    ASSERT_EQ(doc.backstitches, std::vector<Backstitch>{outline});
    bool listed = false;
    for (const LegendEntry& entry : SchemeThreads(doc))
        listed |= entry.dmc == outline.dmc && entry.stitches == 0 && !entry.symbol.empty();
    EXPECT_TRUE(listed);
    ExpectConsistent(doc);

    const Snapshot withLine(doc);
    const StitchEdit removed = RemoveBackstitch(doc, 0);
    EXPECT_TRUE(doc.backstitches.empty());
    EXPECT_EQ(doc.legend, withLine.legend); // the thread keeps its row
    UndoStitchEdit(doc, removed);
    withLine.ExpectSame(doc);
    UndoStitchEdit(doc, added);
    before.ExpectSame(doc);

    for (const Backstitch& bad : {Backstitch{Dmc("310"), 0, 0, 7, 0}, Backstitch{Dmc("310"), -1, 0, 1, 1},
                                  Backstitch{Dmc("310"), 2, 2, 2, 2}, Backstitch{kDmcCount, 0, 0, 1, 1}}) {
        EXPECT_THROW(AddBackstitch(doc, bad), ThreadEditError);
        before.ExpectSame(doc);
    }
    EXPECT_THROW(RemoveBackstitch(doc, 0), ThreadEditError);
}

} // namespace
} // namespace velmora
