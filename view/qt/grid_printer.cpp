#include "view/qt/grid_printer.h"

#include "view/paint/qt_print_canvas.h"
#include "view/paint/symbol_glyphs.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <stdexcept>

namespace velmora {

void PrintGrid(const GridModel& grid)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw std::runtime_error(kNoDefaultPrinter);
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(Cp1251ToQString(grid.PrintSettings.JobName));
    printer.setFullPage(false);
    PrintGridOnDevice(grid, printer, SystemPrintSetup());
}

} // namespace velmora
