#include "app/application_setup.h"
#include "app/main_form.h"
#include "app/qsettings_backend.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    velmora::SetUpApplication(application);

    // The settings live in the user's configuration (the registry on Windows); they outlive the
    // window, which saves into them as it goes.
    velmora::QSettingsRegistry settings;
    velmora::InstallSettingsRegistry(&settings);
    velmora::Tfm_Main window;
    window.show();
    return application.exec();
}
