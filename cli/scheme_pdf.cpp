#include "cli/scheme_pdf.h"

#include "view/paint/qt_print_canvas.h"
#include "view/scheme_grids.h"

namespace velmora::cli {

void WriteSchemePdfs(OutputFile& chart, OutputFile& legend, const SchemeDocument& document, const PrintDateTime& when)
{
    PrintJobSetup setup = SystemPrintSetup();
    setup.clock = [when] { return when; };

    {
        GridModel grid;
        DesignChartGrid(grid);
        grid.setCells(document.chart);
        PrintGridToPdf(grid, chart, setup);
    }
    GridModel grid;
    DesignLegendGrid(grid, nullptr);
    grid.setCells(document.legend);
    PrintGridToPdf(grid, legend, setup);
}

} // namespace velmora::cli
