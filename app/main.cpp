#include "app/application_setup.h"
#include "app/data_module.h"
#include "app/error_box.h"
#include "app/main_window.h"
#include "app/qsettings_backend.h"

#include <QApplication>
#include <QTimer>

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
    velmora::MainWindow window;
    window.show();

    // `velmora FILE`, as the desktop starts it for a scheme or a picture: the file opens once the
    // window is up, so that an error box or the wizard stands over it. Qt has taken its own
    // options out of the arguments already.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString file = arguments.at(1);
        QTimer::singleShot(0, &window, [file] {
            if (velmora::DM != nullptr)
                velmora::RunGuarded([file] { velmora::DM->OpenFromCommandLine(file); });
        });
    }
    return application.exec();
}
