// The largest scheme through the window's own commands: 1000 × 1000 stitches of 100 threads with
// error diffusion, saved and opened again, shows and saves exactly as it was built.
#include "app/data_module.h"
#include "app/main_window.h"
#include "main_window_fixture.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_file.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

class SchemeFileLargeTest : public velmora::test::MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { OpenWindow(); }
    void cleanup() { CloseWindow(); }

    void largestSchemeSavedAndOpenedAgain()
    {
        QTemporaryDir folder;
        SchemeEngine engine;
        SchemeDocument built = engine.BuildScheme(
            LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "large-greenmeadow-1280x1024.jpg"),
            {1000, 1000, 100, DefaultSymbolTexts(100), true});
        built.pictureName = "large-greenmeadow-1280x1024.jpg";
        QCOMPARE(built.legend.rows(), 103); // the header, White's row (empty here), 100 threads, the last row
        window_->ShowScheme(built);
        DM->Session->MarkSchemeModified();

        const QString file = folder.filePath(QStringLiteral("meadow.velmora"));
        prompter_.saveFiles = {file};
        DM->ac_FileSave->trigger();
        QVERIFY(prompter_.errors.isEmpty());
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.size() < 5 * 1024 * 1024);
        // What velmora-cli writes as scheme.json for the same build.
        QVERIFY(saved.readAll().toStdString() == SchemeFileText(built));

        window_->ShowScheme(engine.BuildScheme(built.picture, {10, 10, 2, DefaultSymbolTexts(2), false}));
        prompter_.openFiles = {file};
        DM->ac_FileOpen->trigger();
        QVERIFY2(prompter_.errors.isEmpty(), qPrintable(prompter_.errors.join('\n')));
        QVERIFY(window_->ChartGrid->model().cellTable() == built.chart);
        QVERIFY(window_->LegendGrid->model().cellTable() == built.legend);
        QVERIFY(DM->Session->Scheme.chart == built.chart && DM->Session->Scheme.legend == built.legend);
        const Bitmap shown = ToBitmap(window_->im_Picture->pixmap().toImage());
        QVERIFY(std::ranges::equal(shown.pixels(), built.picture.pixels()));
        QVERIFY(std::ranges::equal(DM->Session->Scheme.picture.pixels(), built.picture.pixels()));
    }
};

QTEST_MAIN(SchemeFileLargeTest)
#include "scheme_file_large_test.moc"
