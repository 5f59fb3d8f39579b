#pragma once

class QCoreApplication;

namespace velmora {

// The program speaks Russian, so Qt's own texts (the buttons of message boxes, the file and font
// dialogs) speak Russian too, whatever language the user's session is set to. Loads Qt's Russian
// translation from Qt's translations folder; false when it is not installed, and the standard
// texts then stay English.
bool InstallQtTranslations(QCoreApplication& application);

} // namespace velmora
