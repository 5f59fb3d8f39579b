// velmora-demo: the window with a scheme already in it, and screenshots of its pages, for looking
// at the program without the wizard; or screenshots of the wizard's pages. Driven by environment
// variables (see demo_scheme.h and wizard_screenshots.h); not installed. It keeps no settings: the
// symbol font is the first start's.
#include "demo_scheme.h"
#include "wizard_screenshots.h"

#include "app/application_setup.h"
#include "app/error_box.h"
#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
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
