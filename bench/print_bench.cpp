// Printing the chart of a 1000 x 1000 scheme: the layout on its own, against a canvas that draws
// nothing, and the whole job (counting and printing pass) into a PDF file through Qt, a page at a
// time as the programs print and, for comparison, cell by cell.
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_print_canvas.h"
#include "view/chart_look.h"
#include "view/print_layout.h"
#include "view/scheme_grids.h"
#include "tests/view/cell_by_cell_sink.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace velmora;
namespace fs = std::filesystem;

// The scheme of the benchmark picture at 1000 x 1000 stitches in 30 colours.
const SchemeDocument& BigDocument()
{
    static const SchemeDocument document = [] {
        SchemeRequest request;
        request.width = 1000;
        request.height = 1000;
        request.colorCount = 30;
        request.symbols = DefaultSymbolTexts(request.colorCount);
        SchemeEngine engine;
        return engine.BuildScheme(LoadPicture(fs::path(VELMORA_BENCH_DATA_DIR) / "bench-1000.jpg"), request);
    }();
    return document;
}

// Its chart, as the window shows it.
const GridModel& BigChart()
{
    static const GridModel chart = [] {
        GridModel model;
        DesignChartGrid(model);
        model.setCellTable(BigDocument().chart);
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
    void FillRect(const PaperRect&, ColorValue) override { ++operations; }
    void Line(int, int, int, int, const GridPen&, PenStyle) override { ++operations; }
    void Stroke(int, int, int, int, int, ColorValue, const PaperRect&) override { ++operations; }
    void Text(int, int, std::string_view, const PaperFont&, const PaperRect*) override { ++operations; }
    void TextRun(const PaperFont&, std::span<const PlacedText>) override { ++operations; }
    void NewPage() override {}

    long long operations = 0;
};

void LayOutChart(benchmark::State& state, bool cellByCell)
{
    const GridModel& chart = BigChart();
    PrintJobSetup setup = A4Landscape();
    if (cellByCell)
        PrintCellByCell(setup);
    int pages = 0;
    long long operations = 0;
    for (auto _ : state) {
        NullCanvas canvas;
        pages = PrintGridPages(chart, canvas, setup);
        operations = canvas.operations;
    }
    state.counters["pages"] = pages;
    state.counters["drawing calls"] = static_cast<double>(operations);
}

void BM_LayOutChart1000(benchmark::State& state) { LayOutChart(state, false); }
BENCHMARK(BM_LayOutChart1000)->Unit(benchmark::kMillisecond);

void BM_LayOutChart1000CellByCell(benchmark::State& state) { LayOutChart(state, true); }
BENCHMARK(BM_LayOutChart1000CellByCell)->Unit(benchmark::kMillisecond);

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void PrintToPdf(benchmark::State& state, const GridModel& grid, bool cellByCell)
{
    const fs::path folder = fs::temp_directory_path() / ("velmora-print-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path pdf = folder / "print.pdf";
    PrintJobSetup setup = SystemPrintSetup();
    setup.clock = A4Landscape().clock;
    if (cellByCell)
        PrintCellByCell(setup);
    int pages = 0;
    for (auto _ : state)
        pages = PrintGridToPdf(grid, pdf.string(), setup);
    state.counters["pages"] = pages;
    state.counters["MB"] = static_cast<double>(fs::file_size(pdf)) / 1e6;
    state.counters["peak MB"] = PeakMegabytes();
    fs::remove_all(folder);
}

// The chart as velmora-cli writes chart.pdf; goals: under a second of CPU for both PDFs, a file
// under 3 MB and a process under 100 MB.
void BM_PrintChart1000ToPdf(benchmark::State& state) { PrintToPdf(state, BigChart(), false); }
BENCHMARK(BM_PrintChart1000ToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same with the ten-stitch lines and the coloured cells: the fills of many colours make it
// about half as long again; goal, velmora-cli with every look option within 1.5 times its time
// without them.
void BM_PrintChart1000WithLookToPdf(benchmark::State& state)
{
    static const GridModel chart = [] {
        GridModel model = BigChart();
        ApplyChartLook(model, {true, true, false, kDefaultFabricCount}, BigDocument().legend);
        return model;
    }();
    PrintToPdf(state, chart, false);
}
BENCHMARK(BM_PrintChart1000WithLookToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PrintLegend30ToPdf(benchmark::State& state)
{
    static const GridModel legend = [] {
        GridModel model;
        DesignLegendGrid(model, nullptr);
        model.setCellTable(BigDocument().legend);
        return model;
    }();
    PrintToPdf(state, legend, false);
}
BENCHMARK(BM_PrintLegend30ToPdf)->Unit(benchmark::kMillisecond)->Iterations(5);

// Every cell drawn on its own: several seconds and some 26 MB.
void BM_PrintChart1000ToPdfCellByCell(benchmark::State& state) { PrintToPdf(state, BigChart(), true); }
BENCHMARK(BM_PrintChart1000ToPdfCellByCell)->Unit(benchmark::kMillisecond)->Iterations(1);

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
