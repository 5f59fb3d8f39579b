#include "app/demo_scheme.h"
#include "app/error_box.h"
#include "app/main_form.h"
#include "app/qsettings_backend.h"
#include "app/qt_translations.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velmora::kApplicationTitle));
    // The desktop entry that the menu starts the program from, so the desktop shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.mirvane.Velmora"));
    velmora::InstallQtTranslations(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/velmora.png")));

    // The settings live in the user's configuration (the registry on Windows); they outlive the
    // window, which saves into them as it goes.
    velmora::QSettingsRegistry settings;
    velmora::InstallSettingsRegistry(&settings);
    velmora::Tfm_Main window;
    window.show();
    velmora::RunGuarded([] { velmora::ShowDemoSchemeFromEnvironment(); });
    return application.exec();
}
