// Qt's standard dialogs speak Russian with the program, whatever language the session is set to:
// the close question's buttons, the picture-open dialog and the font dialog.
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/qt_translations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace velmora;

namespace {

QString Plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

} // namespace

class RussianDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The session's language is not Russian here; the dialogs must be all the same.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(InstallQtTranslations(*QCoreApplication::instance()), "Qt's Russian translation is not installed");
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // The real close question, answered No: its own text stands as it is, the buttons are Russian.
    void closeQuestion()
    {
        MainWindow window;
        window.show();
        QString text, yes, no;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            yes = Plain(box->button(QMessageBox::Yes)->text());
            no = Plain(box->button(QMessageBox::No)->text());
            box->button(QMessageBox::No)->click();
        });
        window.close();
        QCOMPARE(text, QStringLiteral("Вы действительно хотите закрыть программу?"));
        QCOMPARE(yes, QStringLiteral("Да"));
        QCOMPARE(no, QStringLiteral("Нет"));
        QVERIFY(window.isVisible());
    }

    void pictureOpenDialog()
    {
        MainWindow window;
        const QFileDialog& dialog = *DM->OpenPictureDialog;
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("Перейти к:"));
        QCOMPARE(Plain(dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text()), QStringLiteral("Имя файла:"));
        const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QCOMPARE(Plain(buttons->button(QDialogButtonBox::Open)->text()), QStringLiteral("Открыть"));
        QCOMPARE(Plain(buttons->button(QDialogButtonBox::Cancel)->text()), QStringLiteral("Отмена"));
    }

    void fontDialog()
    {
        QFontDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Выбор шрифта"));
        const auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QCOMPARE(Plain(buttons->button(QDialogButtonBox::Cancel)->text()), QStringLiteral("Отмена"));
    }
};

QTEST_MAIN(RussianDialogsTest)
#include "russian_dialogs_test.moc"
