#include "app/demo_scheme.h"
#include "app/error_box.h"
#include "app/main_form.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velmora::kApplicationTitle));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/velmora.png")));

    velmora::Tfm_Main window;
    window.show();
    velmora::RunGuarded([] { velmora::ShowDemoSchemeFromEnvironment(); });
    return application.exec();
}
