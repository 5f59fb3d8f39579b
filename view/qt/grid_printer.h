#pragma once

#include "view/grid_model.h"

namespace velmora {

// What printing without a default printer says. The platform's own message ("There is no default
// printer currently selected") is English; the window speaks Russian.
inline constexpr char kNoDefaultPrinter[] = "Принтер по умолчанию не выбран";

// The grid's `Print`: the whole grid on the system's default printer, without a dialog. Without a
// printer it throws std::runtime_error kNoDefaultPrinter.
void PrintGrid(const GridModel& grid);

} // namespace velmora
