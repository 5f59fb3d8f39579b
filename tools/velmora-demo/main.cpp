// velmora-demo: the window with a scheme already in it, and screenshots of its pages, for looking
// at the program without the wizard. Driven by environment variables (see demo_scheme.h); not
// installed. It keeps no settings: the symbol font is the first start's.
#include "demo_scheme.h"

#include "app/application_setup.h"
#include "app/error_box.h"
#include "app/main_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    velmora::SetUpApplication(application);

    velmora::Tfm_Main window;
    window.show();
    velmora::RunGuarded([] { velmora::ShowDemoSchemeFromEnvironment(); });
    return application.exec();
}
