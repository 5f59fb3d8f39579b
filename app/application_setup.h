#pragma once

class QApplication;

namespace velmora {

// What the window program sets up before its first window: the name, the desktop entry the
// desktop shows the icon of, Qt's Russian translations and the window icon.
void SetUpApplication(QApplication& application);

} // namespace velmora
