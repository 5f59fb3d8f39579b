#include "cli/scheme_pdf.h"

#include "view/paint/qt_print_canvas.h"
#include "view/scheme_grids.h"

namespace velmora::cli {

namespace {

void WritePdf(OutputFile& file, const GridModel& grid, const PrintJobSetup& setup, const PdfProgress& progress)
{
    if (progress.begin)
        progress.begin(file.destination().filename().string());
    PrintGridToPdf(grid, file, setup);
}

} // namespace

void WriteSchemePdfs(OutputFile& chart, OutputFile& legend, const SchemeDocument& document, const PrintDateTime& when,
                     const PdfProgress& progress, const ChartLook& look)
{
    PrintJobSetup setup = SystemPrintSetup();
    setup.clock = [when] { return when; };
    setup.progress = progress.pages;

    {
        GridModel grid;
        DesignChartGrid(grid);
        grid.setCellTable(document.chart);
        ApplyChartLook(grid, look, document.legend);
        grid.OverLines = BackstitchOverLines(document.backstitches);
        WritePdf(chart, grid, setup, progress);
    }
    GridModel grid;
    DesignLegendGrid(grid, nullptr);
    grid.setCellTable(LegendWithSkeins(document.legend, look.skeins, look.fabricCount));
    WritePdf(legend, grid, setup, progress);
}

} // namespace velmora::cli
