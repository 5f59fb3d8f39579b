#include "adv_string_grid.h"

namespace velmora {

TAdvStringGrid::TAdvStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {}

} // namespace velmora
