// Printing the chart of a 1000 x 1000 scheme: the layout on its own, against a canvas that draws
// nothing, and the whole job (counting and printing pass) into a PDF file through Qt.
#include "scheme/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_print_canvas.h"
#include "view/print_layout.h"
#include "view/scheme_grids.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace velmora;
namespace fs = std::filesystem;

// The chart of the benchmark picture at 1000 x 1000 stitches in 30 colours, as the window shows it.
const GridModel& BigChart()
{
    static const GridModel chart = [] {
        SchemeRequest request;
        request.width = 1000;
        request.height = 1000;
        request.colorCount = 30;
        request.symbols = DefaultSymbolTexts(request.colorCount);
        SchemeEngine engine;
        const SchemeDocument document =
            engine.BuildScheme(LoadPicture(fs::path(VELMORA_BENCH_DATA_DIR) / "bench-1000.jpg"), request);
        GridModel model;
        DesignChartGrid(model);
        model.setCells(document.chart);
        return model;
    }();
    return chart;
}

PrintJobSetup A4Landscape()
{
    PrintJobSetup setup;
    setup.pageWidth = 2870;
    setup.pageHeight = 2000;
    setup.clock = [] { return PrintDateTime{2026, 12, 10, 12, 0, 0}; };
    return setup;
}

// Measures like a printer would, roughly, and draws nothing: what is left is the layout's own work.
class NullCanvas : public PrintCanvas {
public:
    int LineHeight(const PaperFont& font) override { return font.height + font.height / 5; }
    int TextWidth(const PaperFont& font, std::string_view text) override
    {
        return static_cast<int>(text.size()) * font.height / 2;
    }
    void FillRect(const PaperRect&, TColor) override { ++operations; }
    void Line(int, int, int, int, const GridPen&, TPenStyle) override { ++operations; }
    void Text(int, int, std::string_view, const PaperFont&, const PaperRect*) override { ++operations; }
    void NewPage() override {}

    long long operations = 0;
};

void BM_LayOutChart1000(benchmark::State& state)
{
    const GridModel& chart = BigChart();
    int pages = 0;
    long long operations = 0;
    for (auto _ : state) {
        NullCanvas canvas;
        pages = PrintGridPages(chart, canvas, A4Landscape());
        operations = canvas.operations;
    }
    state.counters["pages"] = pages;
    state.counters["drawing calls"] = static_cast<double>(operations);
}
BENCHMARK(BM_LayOutChart1000)->Unit(benchmark::kMillisecond);

void BM_PrintChart1000ToPdf(benchmark::State& state)
{
    const GridModel& chart = BigChart();
    const fs::path folder = fs::temp_directory_path() / ("velmora-print-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path pdf = folder / "chart.pdf";
    PrintJobSetup setup = SystemPrintSetup();
    setup.clock = A4Landscape().clock;
    int pages = 0;
    for (auto _ : state)
        pages = PrintGridToPdf(chart, pdf.string(), setup);
    state.counters["pages"] = pages;
    state.counters["MB"] = static_cast<double>(fs::file_size(pdf)) / 1e6;
    fs::remove_all(folder);
}
BENCHMARK(BM_PrintChart1000ToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application; nothing is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
