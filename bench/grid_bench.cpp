// The chart and legend grids with a 1000 × 1000 scheme: installing the engine's tables in the
// grids, and painting one full viewport of the chart as the screen would, the cost of every
// scrolling step. A viewport must paint in well under a frame (16 ms).
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "view/qt/scheme_grid.h"
#include "view/qt/scheme_view_handlers.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <optional>

namespace velmora {
namespace {

constexpr int kSide = 1000;
constexpr int kColours = 60;

void EnsureApplication()
{
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "grid_bench";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
}

// The benchmark picture built into a scheme once, with the default symbols.
const SchemeDocument* Scheme(benchmark::State& state)
{
    static std::optional<SchemeDocument> document;
    if (document)
        return &*document;
    Bitmap source;
    try {
        source = LoadPicture(std::filesystem::path(VELMORA_BENCH_DATA_DIR) / "bench-1000.bmp");
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
    SchemeRequest request{kSide, kSide, kColours, {}, false};
    request.symbols = DefaultSymbolTexts(kColours);
    SchemeEngine engine;
    document = engine.BuildScheme(source, request);
    return &*document;
}

void BM_FillGrids(benchmark::State& state)
{
    EnsureApplication();
    const SchemeDocument* doc = Scheme(state);
    if (doc == nullptr)
        return;
    SchemeGrid chart;
    SchemeGrid legend;
    SetUpChartGrid(chart);
    SetUpLegendGrid(legend, [] { return DefaultSymbolFont(); });
    for (auto _ : state) {
        chart.setCellTable(doc->chart);
        legend.setCellTable(doc->legend);
        benchmark::DoNotOptimize(chart.RowCount());
    }
    state.SetLabel(std::to_string(chart.ColCount()) + " x " + std::to_string(chart.RowCount()) + " cells");
}
BENCHMARK(BM_FillGrids)->Unit(benchmark::kMillisecond);

// One viewport of state.range(0) × state.range(1) pixels, scrolled into the middle of the chart.
void BM_PaintChartViewport(benchmark::State& state)
{
    EnsureApplication();
    const SchemeDocument* doc = Scheme(state);
    if (doc == nullptr)
        return;
    SchemeGrid chart;
    SetUpChartGrid(chart);
    chart.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    chart.show();
    chart.setCellTable(doc->chart);
    chart.horizontalScrollBar()->setValue(chart.horizontalScrollBar()->maximum() / 2);
    chart.verticalScrollBar()->setValue(chart.verticalScrollBar()->maximum() / 2);
    QImage image(chart.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        chart.PaintCells(painter, chart.viewport()->rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    const QSize view = chart.viewport()->size();
    state.SetLabel(std::to_string(view.width()) + " x " + std::to_string(view.height()) + " pixels, " +
                   std::to_string((view.width() / 12 + 1) * (view.height() / 12 + 1)) + " cells");
}
BENCHMARK(BM_PaintChartViewport)
    ->Args({521, 441})
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);

void BM_PaintLegendViewport(benchmark::State& state)
{
    EnsureApplication();
    const SchemeDocument* doc = Scheme(state);
    if (doc == nullptr)
        return;
    SchemeGrid legend;
    SetUpLegendGrid(legend, [] { return DefaultSymbolFont(); });
    legend.resize(1280, 800);
    legend.show();
    legend.setCellTable(doc->legend);
    QImage image(legend.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        legend.PaintCells(painter, legend.viewport()->rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintLegendViewport)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
