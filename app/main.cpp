#include "app/application_setup.h"
#include "app/main_form.h"
#include "app/qsettings_backend.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Without a display Qt would abort with a message that blames the installation.
    if (const std::string missing = velmora::MissingDisplayMessage(argc, argv); !missing.empty()) {
        std::fputs(missing.c_str(), stderr);
        return 1;
    }
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
