#pragma once

#include <string>

class QApplication;

namespace velmora {

// What the window program sets up before its first window: the name, the desktop entry the
// desktop shows the icon of, Qt's Russian translations and the window icon.
void SetUpApplication(QApplication& application);

// Why the window program cannot show a window, for a start that Qt would otherwise abort with a
// platform-plugin message that blames the installation; empty when a display may be had. Read
// before QApplication is made, from the environment and from argv (Qt's own -platform option):
// a platform named there is left for Qt to open, as the user asked for it.
std::string MissingDisplayMessage(int argc, const char* const* argv);

} // namespace velmora
