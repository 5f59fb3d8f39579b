// velmora-demo: the window with a scheme already in it, and screenshots of its pages, for looking
// at the program without the wizard; or screenshots of the wizard's pages. Driven by environment
// variables (see demo_scheme.h and wizard_screenshots.h); not installed. It keeps no settings: the
// symbol font is the first start's, and what Qt's own widgets keep goes into a temporary folder.
#include "demo_scheme.h"
#include "wizard_screenshots.h"

#include "app/application_setup.h"
#include "app/error_box.h"
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    // Qt's file dialog saves its history and folders in the user's QtProject.conf when it goes; the
    // demo's dialogs save theirs here instead, a folder that lives as long as the program. Made
    // before the first QSettings, and gone after the last window.
    const QTemporaryDir qtSettings(QDir::tempPath() + QStringLiteral("/velmora-demo-XXXXXX"));
    if (!qtSettings.isValid()) {
        std::fprintf(stderr, "velmora-demo: cannot make a temporary folder for Qt's settings: %s\n",
                     qPrintable(qtSettings.errorString()));
        return 1;
    }
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, qtSettings.path());

    QApplication application(argc, argv);
    velmora::SetUpApplication(application);

    velmora::MainWindow window;
    bool wizardShots = false;
    if (!velmora::RunGuarded([&wizardShots] { wizardShots = velmora::SaveWizardScreenshotsFromEnvironment(); }))
        return 1;
    if (wizardShots)
        return 0;
    window.show();
    velmora::RunGuarded([] { velmora::ShowDemoSchemeFromEnvironment(); });
    return application.exec();
}
