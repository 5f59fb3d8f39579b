#pragma once

// A small scheme drawn by letter for the tests of the stitch edits, and the checks that its
// chart, legend and picture agree.
#include "scheme/dmc_inc.h"
#include "scheme/scheme_builder.h"
#include "scheme/stitch_edit.h"
#include "scheme/symbol_spread.h"
#include "scheme/thread_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace velmora {
namespace {

int Dmc(const char* name)
{
    const int dmc = FindDmc(name);
    EXPECT_GE(dmc, 0) << name;
    return dmc;
}

// A small scheme drawn by letter, row by row, with a legend row for each of `threads`.
SchemeDocument Scheme(const std::vector<std::string>& rows, const std::map<char, const char*>& threads)
{
    const int width = static_cast<int>(rows.front().size()), height = static_cast<int>(rows.size());
    SchemeDocument doc;
    doc.request.symbols = DefaultSymbolTexts(static_cast<int>(threads.size()));
    std::vector<LegendEntry> entries;
    std::map<char, std::string> symbolOf;
    for (const auto& [letter, name] : threads) {
        const int dmc = Dmc(name);
        symbolOf[letter] = dmc == kDmcWhite ? std::string() : doc.request.symbols[entries.size()];
        int count = 0;
        for (const std::string& row : rows)
            count += static_cast<int>(std::count(row.begin(), row.end(), letter));
        entries.push_back({dmc, symbolOf[letter], count});
    }
    doc.legend = SortedLegend(entries);
    doc.chart = NewChartFrame(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            doc.chart.setText(x + 1, y + 1, symbolOf.at(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
    }
    doc.picture = MappedPicture(doc.chart, doc.legend);
    return doc;
}

const std::map<char, const char*> kThreads = {{'.', "White"}, {'r', "321"}, {'b', "797"}, {'k', "310"}};

// The thread of every stitch, read back through the legend.
std::vector<int> Threads(const SchemeDocument& doc)
{
    std::vector<int> threads;
    for (int y = 0; y < doc.chart.rows() - 2; ++y) {
        for (int x = 0; x < doc.chart.columns() - 1; ++x)
            threads.push_back(ThreadOfStitch(doc, x, y));
    }
    return threads;
}

// Chart, legend and picture agree: every row's count is its stitches, the counts add up to W × H,
// and each stitch shows its thread's colour.
void ExpectConsistent(const SchemeDocument& doc)
{
    std::map<int, int> counted;
    for (const int dmc : Threads(doc))
        ++counted[dmc];
    int total = 0;
    for (const LegendEntry& entry : SchemeThreads(doc)) {
        EXPECT_EQ(entry.stitches, counted[entry.dmc]) << DMCTable[static_cast<std::size_t>(entry.dmc)].Name;
        total += entry.stitches;
    }
    EXPECT_EQ(total, (doc.chart.columns() - 1) * (doc.chart.rows() - 2));
    EXPECT_EQ(doc.picture, MappedPicture(doc.chart, doc.legend));
}

} // namespace
} // namespace velmora
