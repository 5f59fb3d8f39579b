// The About and DMC commands: each shows a fresh window modally over the main window, filled, and
// destroys it when it closes.
#include "app/about_form.h"
#include "app/data_module.h"
#include "app/dmc_form.h"
#include "app/main_form.h"
#include "fake_prompter.h"

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
        window_ = new Tfm_Main;
        window_->show();
    }

    void cleanup()
    {
        delete window_;
        InstallPrompter(previous_);
    }

    void aboutShowsModallyOverTheMainWindow()
    {
        QPointer<Tfm_About> shown;
        QString name;
        CloseWhenShown([&](QWidget* modal) {
            auto* about = qobject_cast<Tfm_About*>(modal);
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
        QPointer<Tfm_DMC> shown;
        std::string first, last;
        int rows = 0;
        CloseWhenShown([&](QWidget* modal) {
            auto* dmc = qobject_cast<Tfm_DMC*>(modal);
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
    Tfm_Main* window_ = nullptr;
};

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
