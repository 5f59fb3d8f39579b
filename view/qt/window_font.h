#pragma once

#include <QFont>

namespace velmora {

// The base font of every window: MS Sans Serif at an 11-pixel character height (8 pt). Where it
// is missing, a face of Arial's metrics keeps texts inside the controls laid out for it, rather
// than the wider face that a bare "MS Sans Serif" would be given by fontconfig.
QFont WindowBaseFont();

} // namespace velmora
