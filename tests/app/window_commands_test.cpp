// The About and DMC commands: each shows a fresh window modally over the main window, filled, and
// destroys it when it closes. Every window speaks in the same base font.
#include "app/about_dialog.h"
#include "app/data_module.h"
#include "app/thread_catalogue_dialog.h"
#include "app/main_window.h"
#include "fake_prompter.h"
#include "view/qt/window_font.h"
#include "wizard/new_scheme_wizard.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace velmora;
using velmora::test::FakePrompter;

class WindowCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        previous_ = InstallPrompter(&prompter_);
        window_ = new MainWindow;
        window_->show();
    }

    void cleanup()
    {
        delete window_;
        InstallPrompter(previous_);
    }

    void aboutShowsModallyOverTheMainWindow()
    {
        QPointer<AboutDialog> shown;
        QString name;
        CloseWhenShown([&](QWidget* modal) {
            auto* about = qobject_cast<AboutDialog*>(modal);
            QVERIFY(about);
            shown = about;
            QCOMPARE(about->parentWidget(), window_);
            name = about->lb_Name->text();
        });
        DM->ac_HelpAbout->trigger();
        QVERIFY(name.startsWith(QStringLiteral("lb_Name"))); // this test program carries no record
        QVERIFY(shown.isNull());
        QVERIFY(prompter_.errors.isEmpty());
    }

    void dmcTableShowsTheWholeCatalogue()
    {
        QPointer<ThreadCatalogueDialog> shown;
        std::string first, last;
        int rows = 0;
        CloseWhenShown([&](QWidget* modal) {
            auto* dmc = qobject_cast<ThreadCatalogueDialog*>(modal);
            QVERIFY(dmc);
            shown = dmc;
            QCOMPARE(dmc->parentWidget(), window_);
            first = dmc->Cells(0, 1);
            last = dmc->Cells(10, 56);
            rows = dmc->sg_DMC->rowCount() + 1;
        });
        DM->ac_ServiceDMC->trigger();
        QCOMPARE(first, std::string("White"));
        QCOMPARE(last, std::string(DMCTable[390].Name));
        QCOMPARE(rows, 57);
        QVERIFY(shown.isNull());
        QVERIFY(prompter_.errors.isEmpty());
    }

    // Main window, wizard, About box and DMC table share one base font. Where MS Sans Serif is
    // missing, each gets the face of Arial's metrics, never the wider face fontconfig would put in
    // for a bare "MS Sans Serif".
    void everyWindowTakesTheOneBaseFont()
    {
        Bitmap picture;
        bool loaded = false;
        NewSchemeWizard wizard(window_, {picture, loaded, {}, DM->OpenPictureDialog});
        AboutDialog about(window_);
        ThreadCatalogueDialog dmc(window_);
        const QFontInfo expected(WindowBaseFont());
        if (!QFontDatabase::families().contains(QStringLiteral("MS Sans Serif")) &&
            QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
            QCOMPARE(expected.family(), QStringLiteral("Liberation Sans"));
        const std::pair<const char*, QWidget*> windows[] = {
            {"main", window_}, {"wizard", &wizard}, {"about", &about}, {"dmc", &dmc}};
        for (const auto& [name, widget] : windows) {
            const QFontInfo actual(widget->font());
            QVERIFY2(actual.family() == expected.family(), name);
            QVERIFY2(actual.pixelSize() == 11, name);
        }
        // The texts inside the About box's fixed window are drawn in it as well.
        QCOMPARE(QFontInfo(about.lb_FileVersion->font()).family(), expected.family());
        QCOMPARE(QFontInfo(dmc.sg_DMC->font()).family(), expected.family());
    }

private:
    // Runs `look` on the modal window once it shows, then closes it.
    void CloseWhenShown(std::function<void(QWidget*)> look)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [timer, look] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            timer->deleteLater();
            timer->stop();
            look(modal);
            modal->close();
        });
        timer->start(10);
    }

    FakePrompter prompter_;
    Prompter* previous_ = nullptr;
    MainWindow* window_ = nullptr;
};

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
