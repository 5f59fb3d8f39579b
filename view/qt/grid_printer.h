#pragma once

#include "view/grid_model.h"

namespace velmora {

// The grid's `Print`: the whole grid on the system's default printer, without a dialog. Without a
// printer it throws std::runtime_error "There is no default printer currently selected".
void PrintGrid(const GridModel& grid);

} // namespace velmora
