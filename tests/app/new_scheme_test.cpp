// The New command from the main window: the wizard run over it, the scheme built from what the
// wizard collected, the dithering choice kept however the wizard closes, a failed build.
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/new_scheme_command.h"
#include "main_window_fixture.h"
#include "picture/picture_loader.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"
#include "wizard/count_spin_box.h"
#include "wizard/new_scheme_wizard.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

using namespace velmora;

namespace {

const QString kPicture = QStringLiteral(VELMORA_CORPUS_DIR "/bmp-variants/var-cat-v5-24bit-451x300.bmp");

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Walks a shown wizard from its first page to the last, loading `picture` on the way, with
// `onParams` and `onSymbols` run on those pages.
void WalkToFinish(NewSchemeWizard& w, const QString& picture, const std::function<void()>& onParams = {},
                  const std::function<void()>& onSymbols = {})
{
    w.ChoosePictureFile = [picture] { return std::optional<QString>(picture); };
    Click(w.bn_Next);
    Click(w.sb_OpenFile);
    Click(w.bn_Next);
    if (onParams)
        onParams();
    Click(w.bn_Next);
    if (onSymbols)
        onSymbols();
    Click(w.bn_Next);
}

} // namespace

class NewSchemeTest : public velmora::test::MainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }

    void cleanup()
    {
        InstallWizardShow({});
        CloseWindow();
    }

    // The three views hold exactly what the engine builds from the same picture and choices.
    void okBuildsTheSchemeOfTheWizardsChoices()
    {
        DM->Dithering = false;
        DM->PictureLoaded = true;
        window_->PageControl->setCurrentIndex(1);
        SchemeRequest asked;
        bool pictureClearedFirst = false;
        InstallWizardShow([&](NewSchemeWizard& w) {
            pictureClearedFirst = !DM->PictureLoaded;
            WalkToFinish(
                w, kPicture,
                [&w] {
                    w.ud_Width->SetPosition(60);
                    QTest::keyClick(w.ud_Height, Qt::Key_Down); // 300 → 299, width 451 × 299 div 300
                    w.ud_Colors->SetPosition(12);
                    Click(w.cb_Dithering);
                    Click(w.cb_Perceptual);
                },
                [&w] {
                    w.AllSymbolsGrid->SetCurrent(1, 30);
                    w.ChosenSymbolsGrid->SetCurrent(1, 4);
                    Click(w.bn_Select);
                });
            asked = w.Request();
            Click(w.bb_OK);
            return w.result();
        });
        DM->ac_FileNew->trigger();

        QVERIFY(pictureClearedFirst);
        QVERIFY(prompter_.errors.isEmpty());
        QCOMPARE(asked.width, 449);
        QCOMPARE(asked.height, 299);
        QCOMPARE(asked.colorCount, 12);
        QVERIFY(asked.dithering && asked.perceptual);
        QCOMPARE(asked.symbols.size(), std::size_t{12});
        QCOMPARE(asked.symbols[3], std::string(1, static_cast<char>(30 + 47)));

        SchemeEngine engine;
        const SchemeDocument expected = engine.BuildScheme(LoadPicture(kPicture.toStdString()), asked);
        QVERIFY(window_->ChartGrid->cellTable() == expected.chart);
        QVERIFY(window_->LegendGrid->cellTable() == expected.legend);
        QCOMPARE(window_->im_Picture->pixmap().toImage(), ToQImage(expected.picture));
        QVERIFY(DM->Session->SchemeReady && DM->Dithering && DM->Wizard.perceptual && DM->PictureLoaded);
        QVERIFY(DM->Session->Scheme.request.perceptual);
        QVERIFY(!window_->lb_Build->isHidden());
        QCOMPARE(window_->PageControl->currentIndex(), 1);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(window_->findChild<NewSchemeWizard*>() == nullptr);
    }

    // A dithering or perceptual choice made in a cancelled wizard is the next run's preset; nothing
    // is built.
    void cancelKeepsTheDitheringChoice()
    {
        DM->Dithering = false;
        DM->Wizard.perceptual = false;
        bool presetSeen = true;
        bool perceptualSeen = true;
        InstallWizardShow([&](NewSchemeWizard& w) {
            presetSeen = w.cb_Dithering->isChecked();
            perceptualSeen = w.cb_Perceptual->isChecked();
            Click(w.bn_Next);
            w.ChoosePictureFile = [] { return std::optional<QString>(kPicture); };
            Click(w.sb_OpenFile);
            Click(w.bn_Next);
            Click(w.cb_Dithering);
            Click(w.cb_Perceptual);
            Click(w.bb_Cancel);
            return w.result();
        });
        DM->ac_FileNew->trigger();
        QVERIFY(!presetSeen && !perceptualSeen);
        QVERIFY(DM->Dithering && DM->Wizard.perceptual);
        QVERIFY(!DM->Session->SchemeReady);
        QCOMPARE(window_->ChartGrid->RowCount(), 6); // the empty design grid

        bool fresh = false;
        InstallWizardShow([&](NewSchemeWizard& w) {
            presetSeen = w.cb_Dithering->isChecked();
            perceptualSeen = w.cb_Perceptual->isChecked();
            fresh = w.SymbolsPending && w.ActivePageIndex() == 0 && w.ed_FileName->text().isEmpty();
            w.reject();
            return w.result();
        });
        DM->ac_FileNew->trigger();
        QVERIFY(presetSeen && perceptualSeen);
        QVERIFY(fresh); // a new wizard for every run
        QVERIFY(DM->Dithering);
    }

    // Without a test's hook the wizard runs in its own modal loop over the main window.
    void wizardRunsModallyOverTheMainWindow()
    {
        bool seen = false;
        bool ownedByMain = false;
        bool centred = false;
        QTimer::singleShot(0, this, [&] {
            auto* wizard = qobject_cast<NewSchemeWizard*>(QApplication::activeModalWidget());
            seen = wizard != nullptr;
            ownedByMain = wizard != nullptr && wizard->parentWidget() == window_;
            centred = wizard != nullptr &&
                      (wizard->geometry().center() - window_->geometry().center()).manhattanLength() <= 2;
            if (wizard != nullptr) {
                Click(wizard->cb_Dithering);
                QTest::keyClick(wizard, Qt::Key_Escape);
            }
        });
        const bool before = DM->Dithering;
        DM->ac_FileNew->trigger();
        QVERIFY(seen);
        QVERIFY(ownedByMain);
        QVERIFY(centred);
        QCOMPARE(DM->Dithering, !before);
        QVERIFY(!DM->Session->SchemeReady);
    }

    // A build that fails goes to the error box and leaves the scheme shown before.
    void failedBuildKeepsThePreviousScheme()
    {
        InstallWizardShow([](NewSchemeWizard& w) {
            WalkToFinish(w, kPicture, [&w] { w.ud_Width->SetPosition(40); });
            Click(w.bb_OK);
            return w.result();
        });
        DM->ac_FileNew->trigger();
        QVERIFY(DM->Session->SchemeReady);
        const CellTable chart = window_->ChartGrid->cellTable();
        const CellTable legend = window_->LegendGrid->cellTable();

        InstallWizardShow([](NewSchemeWizard& w) {
            WalkToFinish(w, kPicture, [&w] { Click(w.cb_Dithering); });
            // The picture is gone by the time the build reads it.
            DM->SourcePicture = Bitmap();
            Click(w.bb_OK);
            return w.result();
        });
        const bool ditheringBefore = DM->Dithering;
        // The first scheme is not saved: New asks, and goes on without saving.
        prompter_.saveAnswer = Prompter::Answer::No;
        DM->ac_FileNew->trigger();
        QCOMPARE(prompter_.saveQuestions, 1);
        QCOMPARE(prompter_.errors.size(), 1);
        QCOMPARE(prompter_.errorCaption, QStringLiteral("Velmora 2"));
        QVERIFY(window_->ChartGrid->cellTable() == chart);
        QVERIFY(window_->LegendGrid->cellTable() == legend);
        QVERIFY(DM->Session->SchemeReady);
        QCOMPARE(DM->Dithering, !ditheringBefore);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
};

QTEST_MAIN(NewSchemeTest)
#include "new_scheme_test.moc"
