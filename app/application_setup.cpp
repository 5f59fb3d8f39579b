#include "application_setup.h"

#include "error_box.h"
#include "qt_translations.h"

#include <QApplication>
#include <QIcon>

namespace velmora {

void SetUpApplication(QApplication& application)
{
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    // The desktop entry that the menu starts the program from, so the desktop shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.mirvane.Velmora"));
    InstallQtTranslations(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/velmora.png")));
}

} // namespace velmora
