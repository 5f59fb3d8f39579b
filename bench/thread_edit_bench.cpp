// Replacing a thread of the largest chart: 1000 × 1000 stitches of 100 threads, mapped with error
// diffusion from the corpus meadow photo. The edit merges the thread with the most stitches into
// the next one of the legend, the worst case: every one of its stitches changes symbol. "Show"
// adds what the window does after an edit: the picture into a pixmap and both tables into their
// grids. An edit, its undo and showing either must take well under 100 ms.
#include "largest_scheme.h"

#include "scheme/thread_edit.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace velmora {
namespace {

// The thread with the most stitches and the one the legend lists after it (or before it).
std::pair<int, int> MostUsedAndNeighbour(const SchemeDocument& scheme)
{
    const std::vector<LegendEntry> threads = SchemeThreads(scheme);
    const auto most = std::max_element(threads.begin(), threads.end(),
                                       [](const LegendEntry& a, const LegendEntry& b) { return a.stitches < b.stitches; });
    const auto neighbour = most + 1 != threads.end() ? most + 1 : most - 1;
    return {most->dmc, neighbour->dmc};
}

void BM_ReplaceThread(benchmark::State& state)
{
    SchemeDocument scheme = LargestScheme();
    const auto [from, to] = MostUsedAndNeighbour(scheme);
    std::size_t stitches = 0;
    for (auto _ : state) {
        const ThreadEdit edit = ReplaceThread(scheme, from, to);
        stitches = edit.stitches.size();
        state.PauseTiming();
        UndoThreadEdit(scheme, edit);
        state.ResumeTiming();
    }
    state.counters["stitches"] = static_cast<double>(stitches);
}
BENCHMARK(BM_ReplaceThread)->Unit(benchmark::kMillisecond);

void BM_UndoThreadEdit(benchmark::State& state)
{
    SchemeDocument scheme = LargestScheme();
    const auto [from, to] = MostUsedAndNeighbour(scheme);
    for (auto _ : state) {
        state.PauseTiming();
        const ThreadEdit edit = ReplaceThread(scheme, from, to);
        state.ResumeTiming();
        UndoThreadEdit(scheme, edit);
    }
}
BENCHMARK(BM_UndoThreadEdit)->Unit(benchmark::kMillisecond);

void BM_ReplaceThreadAndShow(benchmark::State& state)
{
    static std::unique_ptr<QApplication> application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "thread_edit_bench";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
    SchemeDocument scheme = LargestScheme();
    const auto [from, to] = MostUsedAndNeighbour(scheme);
    SchemeGrid chart, legend;
    for (auto _ : state) {
        const ThreadEdit edit = ReplaceThread(scheme, from, to);
        const QPixmap picture = QPixmap::fromImage(ToQImage(scheme.picture));
        chart.setCellTable(scheme.chart);
        legend.setCellTable(scheme.legend);
        benchmark::DoNotOptimize(picture.cacheKey());
        state.PauseTiming();
        UndoThreadEdit(scheme, edit);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceThreadAndShow)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
