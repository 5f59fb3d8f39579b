#include "cli/scheme_pdf.h"

#include "view/paint/qt_print_canvas.h"
#include "view/scheme_grids.h"

#include <stdexcept>
#include <string>

namespace velmora::cli {
namespace {

void WritePdf(const std::filesystem::path& path, const GridModel& grid, const PrintJobSetup& setup,
              const PdfProgress& progress)
{
    if (progress.begin)
        progress.begin(path.filename().string());
    try {
        PrintGridToPdf(grid, path.string(), setup);
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot write " + path.string() + ": " + e.what());
    }
}

} // namespace

void WriteSchemePdfs(const std::filesystem::path& folder, const SchemeDocument& document,
                     const PrintDateTime& when, const PdfProgress& progress)
{
    PrintJobSetup setup = SystemPrintSetup();
    setup.clock = [when] { return when; };
    setup.progress = progress.pages;

    {
        GridModel chart;
        DesignChartGrid(chart);
        chart.setCells(document.chart);
        WritePdf(folder / "chart.pdf", chart, setup, progress);
    }
    GridModel legend;
    DesignLegendGrid(legend, nullptr);
    legend.setCells(document.legend);
    WritePdf(folder / "legend.pdf", legend, setup, progress);
}

} // namespace velmora::cli
