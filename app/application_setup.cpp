#include "application_setup.h"

#include "error_box.h"
#include "qt_translations.h"

#include <QApplication>
#include <QIcon>

#include <cstdlib>
#include <cstring>

namespace velmora {

void SetUpApplication(QApplication& application)
{
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    // The desktop entry that the menu starts the program from, so the desktop shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.mirvane.Velmora"));
    InstallQtTranslations(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/velmora.png")));
}

std::string MissingDisplayMessage(int argc, const char* const* argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    const auto variableSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    bool platformNamed = variableSet("QT_QPA_PLATFORM");
    // Qt takes its option as -platform NAME or --platform NAME.
    for (int i = 1; i < argc; ++i)
        platformNamed = platformNamed || std::strcmp(argv[i], "-platform") == 0 ||
                        std::strcmp(argv[i], "--platform") == 0;
    // Unless another platform (offscreen, vnc, eglfs) is named, Qt's windows go to an X11 or a
    // Wayland server, which these two variables name.
    if (platformNamed || variableSet("DISPLAY") || variableSet("WAYLAND_DISPLAY"))
        return {};
    return "velmora needs a display (X11 or Wayland), and neither DISPLAY nor WAYLAND_DISPLAY is "
           "set; without one, run it as: xvfb-run -a velmora\n";
#else
    (void)argc;
    (void)argv;
    return {};
#endif
}

} // namespace velmora
