#include "app/main_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    velmora::Tfm_Main window;
    window.show();
    return application.exec();
}
