#include "main_form.h"

namespace velmora {

Tfm_Main::Tfm_Main(QWidget* parent) : QMainWindow(parent) {}

} // namespace velmora
