// A stroke of the pencil on the largest chart: 1000 × 1000 stitches of 100 threads. A stroke of
// 100 stitches is 100 mouse moves of one stitch each, every one an edit that the chart shows at
// once, and at the button's release the pieces taken back and made again as one undo step; then
// the chart grid takes the changed cells and repaints only their rectangle, and the legend its
// counts. "Whole" shows the same stroke the way a thread replacement is shown (both tables into
// their grids), for comparison. A stroke must show with no visible lag: well under 16 ms a move.
#include "largest_scheme.h"

#include "scheme/stitch_edit.h"
#include "scheme/thread_edit.h"
#include "view/qt/scheme_grid.h"
#include "view/qt/scheme_view_handlers.h"
#include "view/symbol_font.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace velmora {
namespace {

void EnsureApplication()
{
    static std::unique_ptr<QApplication> application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "stitch_edit_bench";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
}

// 100 stitches along row 20 from column 0, in the thread of the last legend row: most of them
// change.
std::vector<StitchChange> Stroke(const SchemeDocument& scheme)
{
    const int width = scheme.chart.columns() - 1;
    const int dmc = SchemeThreads(scheme).back().dmc;
    std::vector<StitchChange> stroke;
    for (int x = 0; x < 100; ++x)
        stroke.push_back({20 * width + x, dmc});
    return stroke;
}

// The stroke as the window makes it: an edit a move, then one edit for the whole.
StitchEdit DrawStroke(SchemeDocument& scheme, const std::vector<StitchChange>& stroke)
{
    std::vector<StitchEdit> pieces;
    for (const StitchChange& change : stroke)
        pieces.push_back(SetStitches(scheme, std::span(&change, 1)));
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece)
        UndoStitchEdit(scheme, *piece);
    return SetStitches(scheme, stroke);
}

void BM_PencilStroke(benchmark::State& state)
{
    SchemeDocument scheme = LargestScheme();
    const std::vector<StitchChange> stroke = Stroke(scheme);
    std::size_t changed = 0;
    for (auto _ : state) {
        const StitchEdit edit = DrawStroke(scheme, stroke);
        changed = edit.stitches.size();
        state.PauseTiming();
        UndoStitchEdit(scheme, edit);
        state.ResumeTiming();
    }
    state.counters["changed"] = static_cast<double>(changed);
}
BENCHMARK(BM_PencilStroke)->Unit(benchmark::kMillisecond);

void BM_UndoPencilStroke(benchmark::State& state)
{
    SchemeDocument scheme = LargestScheme();
    const std::vector<StitchChange> stroke = Stroke(scheme);
    for (auto _ : state) {
        state.PauseTiming();
        const StitchEdit edit = SetStitches(scheme, stroke);
        state.ResumeTiming();
        UndoStitchEdit(scheme, edit);
    }
}
BENCHMARK(BM_UndoPencilStroke)->Unit(benchmark::kMillisecond);

// The stroke, and showing it in a chart grid of 1000 × 700 pixels as the window does: the cells of
// the stroke into the grid, their rectangle repainted, the legend's table replaced.
void BM_PencilStrokeAndShow(benchmark::State& state)
{
    EnsureApplication();
    SchemeDocument scheme = LargestScheme();
    const std::vector<StitchChange> stroke = Stroke(scheme);
    const bool whole = state.range(0) != 0;
    SchemeGrid chart, legend;
    SetUpChartGrid(chart);
    SetUpLegendGrid(legend, [] { return DefaultSymbolFont(); });
    chart.resize(1000, 700);
    chart.show();
    chart.setCellTable(scheme.chart);
    legend.setCellTable(scheme.legend);
    QImage image(chart.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const int width = scheme.chart.columns() - 1;
    for (auto _ : state) {
        const StitchEdit edit = DrawStroke(scheme, stroke);
        QRect changed;
        if (whole) {
            chart.setCellTable(scheme.chart);
            changed = chart.viewport()->rect();
        } else {
            QRect cells;
            for (const std::int32_t stitch : edit.stitches) {
                const int col = stitch % width + 1, row = stitch / width + 1;
                chart.model().SetCell(col, row, scheme.chart.textView(col, row));
                cells |= QRect(col, row, 1, 1);
            }
            changed = chart.CellRect(cells.left(), cells.top()).united(chart.CellRect(cells.right(), cells.bottom()));
        }
        legend.setCellTable(scheme.legend);
        QPainter painter(&image);
        chart.PaintCells(painter, changed.intersected(chart.viewport()->rect()));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
        state.PauseTiming();
        UndoStitchEdit(scheme, edit);
        state.ResumeTiming();
    }
    state.SetLabel(whole ? "whole tables, whole viewport" : "changed cells only");
}
BENCHMARK(BM_PencilStrokeAndShow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
