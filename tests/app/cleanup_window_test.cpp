// "Очистить схему…" in the window: the dialog shows what each pass changes before anything does,
// "Применить" is one step of the undo stack, the status bar shows the share of single stitches,
// and the scheme saved is byte for byte velmora-cli's with the same options.
// VELMORA_SCREENSHOT_DIR, when set, receives a picture of the dialog and of the window.
#include "app/cleanup_dialog.h"
#include "screenshot.h"
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/scheme_editor.h"
#include "main_window_fixture.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_cleanup.h"
#include "tests/read_file.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <filesystem>
#include <functional>

using namespace velmora;
using test::SaveScreenshot;

namespace {

const std::filesystem::path kSample = std::filesystem::path(VELMORA_SAMPLES_DIR) / "cat-chelsea-451x300.jpg";

// Runs `answer` on the next clean-up dialog once it is shown.
void AnswerNextDialog(std::function<void(CleanupDialog&)> answer)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        auto* dialog = qobject_cast<CleanupDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll->stop();
        poll->deleteLater();
        answer(*dialog);
    });
    poll->start(10);
}

} // namespace

class CleanupWindowTest : public test::MainWindowFixture {
    Q_OBJECT

private slots:
    void init()
    {
        OpenWindow();
        window_->resize(1000, 700);
        // As the New command builds: the picture loaded, the scheme built, the picture's name kept.
        DM->SourcePicture = LoadPicture(kSample);
        window_->BuildScheme(MakeSchemeRequest(DM->SourcePicture, {80, {}, 30, {}, true}));
        DM->Session->Scheme.pictureName = kSample.string();
        DM->Session->MarkSchemeSaved();
    }

    void cleanup() { CloseWindow(); }

    void applyIsOneUndoableStepAndMatchesTheTool()
    {
        const SchemeDocument built = DM->Session->Scheme;
        const double shareBuilt = SingleStitchShare(built);
        QVERIFY(shareBuilt > 0.1);
        QCOMPARE(window_->lb_SingleStitches->text(), SingleStitchText(shareBuilt));
        QVERIFY(window_->lb_SingleStitches->text().startsWith(QStringLiteral("Одиночных крестиков: ")));
        DM->UpdateActions();
        QVERIFY(DM->ac_EditCleanUp->isEnabled());
        QCOMPARE(DM->ac_EditCleanUp->text(), QStringLiteral("Очистить схему…"));

        const CleanupOptions chosen{true, 20, 2};
        AnswerNextDialog([&](CleanupDialog& dialog) {
            dialog.cb_Unused->setChecked(true);
            dialog.cb_Fewest->setChecked(true);
            dialog.ed_Fewest->setValue(20);
            dialog.cb_Confetti->setChecked(true);
            dialog.ed_Confetti->setValue(2);
            QCOMPARE(dialog.Options(), chosen);
            // What the passes change, before they do.
            SchemeDocument preview = built;
            const CleanupResult result = CleanUpScheme(preview, chosen, DM->Session->SchemeSource);
            QVERIFY(dialog.lb_Confetti->text().startsWith(
                QStringLiteral("изменится крестиков: %1").arg(QLocale(QLocale::Russian).toString(result.passes[2].stitches))));
            QVERIFY(dialog.lb_Share->text().endsWith(QStringLiteral("после очистки: 0,0 %")));
            QCOMPARE(DM->Session->Scheme.chart, built.chart); // nothing yet
            SaveScreenshot(dialog, "cleanup-dialog");
            dialog.Buttons->button(QDialogButtonBox::Ok)->click();
        });
        DM->ac_EditCleanUp->trigger();

        SchemeDocument expected = built;
        CleanUpScheme(expected, chosen, DM->Session->SchemeSource);
        QCOMPARE(DM->Session->Scheme.chart, expected.chart);
        QCOMPARE(DM->Session->Scheme.legend, expected.legend);
        QVERIFY(DM->Session->Scheme.picture == expected.picture);
        QVERIFY(window_->ChartGrid->cellTable() == expected.chart);
        QVERIFY(window_->LegendGrid->cellTable() == expected.legend);
        QCOMPARE(window_->lb_SingleStitches->text(), QStringLiteral("Одиночных крестиков: 0,0 %"));
        QVERIFY(DM->Session->SchemeModified());
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 1);
        SaveScreenshot(*window_, "cleanup-window");

        // One undo takes the whole clean-up back, cell for cell; redo makes it again.
        DM->UpdateActions();
        DM->ac_EditUndo->trigger();
        QCOMPARE(DM->Session->Scheme.chart, built.chart);
        QCOMPARE(DM->Session->Scheme.legend, built.legend);
        QVERIFY(DM->Session->Scheme.picture == built.picture);
        QCOMPARE(window_->lb_SingleStitches->text(), SingleStitchText(shareBuilt));
        DM->UpdateActions();
        DM->ac_EditRedo->trigger();
        QCOMPARE(DM->Session->Scheme.chart, expected.chart);
        QCOMPARE(DM->Session->Scheme.legend, expected.legend);

        // Saved, it is the scheme velmora-cli makes with the same options, to the byte.
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::filesystem::path saved = ToPath(folder.filePath(QStringLiteral("cat.velmora")));
        DM->Session->SaveScheme(saved);
        QProcess tool;
        tool.start(QStringLiteral(VELMORA_CLI_PATH),
                   {QString::fromStdString(kSample.string()), QStringLiteral("--width"), QStringLiteral("80"),
                    QStringLiteral("--dither"), QStringLiteral("--fabric"),
                    QString::number(DM->Session->Scheme.fabricCount),
                    QStringLiteral("--drop-unused"), QStringLiteral("--min-stitches"), QStringLiteral("20"),
                    QStringLiteral("--remove-confetti=2"), QStringLiteral("--formats"), QStringLiteral("json"),
                    QStringLiteral("--out"), folder.filePath(QStringLiteral("tool"))});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const std::string window = ReadFileText(saved);
        QVERIFY(!window.empty());
        QVERIFY(window == ReadFileText(ToPath(folder.filePath(QStringLiteral("tool/scheme.json")))));
    }

    void cancelAndNothingChosenChangeNothing()
    {
        const SchemeDocument built = DM->Session->Scheme;
        AnswerNextDialog([](CleanupDialog& dialog) {
            for (QCheckBox* box : {dialog.cb_Unused, dialog.cb_Fewest, dialog.cb_Confetti})
                box->setChecked(false);
            QVERIFY(!dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
            QCOMPARE(dialog.lb_Confetti->text(), QStringLiteral("—"));
            QVERIFY(!dialog.ed_Fewest->isEnabled());
            dialog.cb_Fewest->setChecked(true);
            QVERIFY(dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
            dialog.Buttons->button(QDialogButtonBox::Cancel)->click();
        });
        DM->ac_EditCleanUp->trigger();
        QCOMPARE(DM->Session->Scheme.chart, built.chart);
        QCOMPARE(DM->Session->Scheme.legend, built.legend);
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 0);
        QVERIFY(!DM->Session->SchemeModified());
    }
};

QTEST_MAIN(CleanupWindowTest)
#include "cleanup_window_test.moc"
