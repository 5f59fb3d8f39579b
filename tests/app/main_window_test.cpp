// The main window with its data module: commands and their enabled states, closing, the symbol
// font command, the error box, and a scheme put into the views.
#include "app/data_module.h"
#include "app/error_box.h"
#include "app/main_window.h"
#include "app/new_scheme_command.h"
#include "main_window_fixture.h"
#include "view/qt/scheme_grid.h"

#include <QAbstractEventDispatcher>
#include <QEnterEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <stdexcept>

using namespace velmora;

namespace {

// A small scheme through the real build: three colour bands.
SchemeDocument SmallScheme()
{
    Bitmap source(20, 10, MakeColor(250, 250, 250));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            source.setPixel(x, y, x < 7 ? MakeColor(200, 20, 20) : x < 14 ? MakeColor(20, 20, 200) : kWhite);
    SchemeRequest request;
    request.width = 20;
    request.height = 10;
    request.colorCount = 3;
    request.symbols = {"A", "B", "C"};
    SchemeEngine engine;
    return engine.BuildScheme(source, request);
}

// Lets the application go idle once, as after any input event.
void GoIdle()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

QStringList Names(const QList<QAction*>& actions)
{
    QStringList names;
    for (const QAction* a : actions)
        names << a->objectName();
    return names;
}

enum class CloseWay { ExitCommand, AltX, CloseBox, CloseCall };

} // namespace

Q_DECLARE_METATYPE(CloseWay)

class MainWindowTest : public velmora::test::MainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        OpenWindow();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

    void cleanup()
    {
        CloseWindow();
        QVERIFY(fm_Main == nullptr);
        QVERIFY(DM == nullptr);
    }

    void startsWithoutScheme()
    {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Вельмора"));
        QCOMPARE(window_->PageControl->currentWidget(), window_->ts_Picture);
        QVERIFY(!DM->Session->SchemeReady && !DM->PictureLoaded);
        QVERIFY(DM->Dithering); // first start: the stored choice defaults to true
        QVERIFY(DM->SourcePicture.empty());
        QVERIFY(prompter_.errors.isEmpty());
        // The chart took the symbol font at start-up.
        QCOMPARE(window_->ChartGrid->Font().name, std::string("Wingdings"));
        QCOMPARE(window_->ChartGrid->Font().charset, kSymbolCharset);
        QCOMPARE(window_->ChartGrid->Font().size, 6);
    }

    void menuAndToolBarInOrder()
    {
        QCOMPARE(DM->MainMenu->actions(),
                 QList<QAction*>({DM->mi_File->menuAction(), DM->mi_Edit->menuAction(), DM->mi_Service->menuAction(),
                                  DM->mi_View->menuAction(), DM->mi_Help->menuAction()}));
        QCOMPARE(DM->mi_File->title(), QStringLiteral("Файл"));
        QCOMPARE(DM->mi_Edit->title(), QStringLiteral("Правка"));
        QCOMPARE(DM->mi_Service->title(), QStringLiteral("Сервис"));
        QCOMPARE(DM->mi_View->title(), QStringLiteral("Вид"));
        QCOMPARE(Names(DM->mi_View->actions()),
                 QStringList({"ac_ViewTenLines", "ac_ViewColorCells", "ac_ViewSkeins", "N6", "ac_ViewFabric", "N7",
                              "ac_ViewZoomIn", "ac_ViewZoomOut"}));
        QCOMPARE(DM->mi_Help->title(), QStringLiteral("?"));
        QCOMPARE(Names(DM->mi_File->actions()),
                 QStringList({"ac_FileNew", "ac_FileOpen", "mi_FileRecent", "ac_FileSave", "ac_FileSaveAs", "N3",
                              "ac_FilePrint", "ac_FilePrintSymbols",
                              "ac_FileSavePdf", "ac_FileSaveSymbolsPdf", "N1", "ac_FileExit"}));
        QCOMPARE(Names(DM->mi_Edit->actions()),
                 QStringList({"ac_EditUndo", "ac_EditRedo", "N4", "ac_EditReplaceThread", "ac_EditCleanUp",
                              "ac_EditDrawTools", "N5", "ac_EditSourceBeside",
                              "ac_EditSourceInstead"}));
        QCOMPARE(Names(DM->mi_Service->actions()),
                 QStringList({"ac_ServiceExcel", "ac_ServiceDMC", "N2", "ac_ServiceOptions"}));
        QCOMPARE(Names(DM->mi_Help->actions()), QStringList({"ac_HelpAbout"}));

        QStringList toolBar;
        for (QAction* a : window_->ToolBar->actions())
            toolBar << window_->ToolBar->widgetForAction(a)->objectName();
        QCOMPARE(toolBar, QStringList({"tb_FileNew", "tb_Sep1", "tb_ServiceExcel", "ToolButton5", "tb_HelpAbout",
                                       "tb_FileExit"}));
        QStringList fileToolBar;
        for (QAction* a : window_->FileToolBar->actions())
            fileToolBar << window_->FileToolBar->widgetForAction(a)->objectName();
        QCOMPARE(fileToolBar,
                 QStringList({"tb_FileOpen", "tb_FileSave", "tb_Sep2", "tb_FileSavePdf", "tb_FileSaveSymbolsPdf"}));
        QCOMPARE(window_->tb_FileSavePdf->defaultAction(), DM->ac_FileSavePdf);
        QCOMPARE(window_->tb_FileSave->toolTip(), QStringLiteral("Сохранить схему"));
        QVERIFY(window_->toolBarBreak(window_->FileToolBar));
        QCOMPARE(window_->tb_ServiceExcel->defaultAction(), DM->ac_ServiceExcel);
        QCOMPARE(window_->tb_FileNew->size(), QSize(84, 36));
        QCOMPARE(window_->tb_Sep1->width(), 8);
        QCOMPARE(window_->tb_FileNew->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(!window_->tb_FileNew->icon().isNull());
        QVERIFY(DM->ac_FilePrintSymbols->icon().isNull());
    }

    void hintsSplitIntoTooltipAndStatusBar()
    {
        QCOMPARE(window_->tb_FileNew->toolTip(), QStringLiteral("Новая схема"));

        const QPointF inside(5, 5);
        QEnterEvent enter(inside, inside, window_->tb_FileNew->mapToGlobal(inside));
        QApplication::sendEvent(window_->tb_FileNew, &enter);
        QCOMPARE(window_->statusBar()->currentMessage(),
                 QStringLiteral("Открыть мастер быстрого создания схемы вышивки крестиком"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(window_->tb_FileNew, &leave);
        QCOMPARE(window_->statusBar()->currentMessage(), QString());

        // A highlighted menu item, also of a command that is disabled.
        DM->MainMenu->setActiveAction(DM->mi_File->menuAction());
        QVERIFY(QTest::qWaitForWindowExposed(DM->mi_File));
        DM->mi_File->setActiveAction(DM->ac_FileExit);
        QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("Завершение работы с программой"));
        DM->mi_File->close();
    }

    void printAndExportWaitForScheme()
    {
        const auto schemeCommands = {DM->ac_FilePrint, DM->ac_FilePrintSymbols, DM->ac_ServiceExcel, DM->ac_FileSave,
                                     DM->ac_FileSavePdf, DM->ac_FileSaveSymbolsPdf};
        for (QAction* a : schemeCommands)
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (QAction* a : {DM->ac_FileNew, DM->ac_FileExit, DM->ac_ServiceDMC, DM->ac_ServiceOptions,
                           DM->ac_HelpAbout, DM->ac_FileOpen})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(!window_->tb_ServiceExcel->isEnabled());

        QSignalSpy printed(DM->ac_FilePrint, &QAction::triggered);
        QTest::keyClick(window_, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(printed.count(), 0);

        window_->ShowScheme(SmallScheme());
        for (QAction* a : schemeCommands)
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(window_->tb_ServiceExcel->isEnabled());
        QTest::keyClick(window_, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(printed.count(), 1);
    }

    void enabledStateFollowsFlagWhenIdle()
    {
        DM->Session->SchemeReady = true;
        GoIdle();
        QVERIFY(DM->ac_FilePrint->isEnabled());
        QVERIFY(DM->ac_ServiceExcel->isEnabled());
    }

    void disabledCommandDoesNotRunOnStaleState()
    {
        // Enabled by hand while no scheme exists: the command re-checks before it runs.
        DM->ac_ServiceExcel->setEnabled(true);
        QSignalSpy triggered(DM->ac_ServiceExcel, &QAction::triggered);
        DM->ac_ServiceExcel->trigger();
        QCOMPARE(triggered.count(), 1);
        QVERIFY(!DM->ac_ServiceExcel->isEnabled());
    }

    void schemeShownInTheThreeViews()
    {
        window_->PageControl->setCurrentWidget(window_->ts_Picture);
        const SchemeDocument document = SmallScheme();
        window_->ShowScheme(document);

        QVERIFY(DM->Session->SchemeReady);
        QCOMPARE(window_->PageControl->currentWidget(), window_->ts_Picture);
        const QImage shown = window_->im_Picture->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(20, 10));
        QCOMPARE(window_->im_Picture->size(), QSize(20, 10));
        for (const QPoint p : {QPoint(0, 0), QPoint(10, 5), QPoint(19, 9)}) {
            const Color c = document.picture.pixel(p.x(), p.y());
            QCOMPARE(shown.pixel(p), qRgb(Red(c), Green(c), Blue(c)));
        }
        QVERIFY(window_->ChartGrid->cellTable() == document.chart);
        QVERIFY(window_->LegendGrid->cellTable() == document.legend);
        QCOMPARE(window_->ChartGrid->ColCount(), 21);
        QCOMPARE(window_->ChartGrid->RowCount(), 12);
    }

    void closing_data()
    {
        QTest::addColumn<CloseWay>("way");
        QTest::addColumn<bool>("answer");
        const std::pair<const char*, CloseWay> ways[] = {{"exit command", CloseWay::ExitCommand},
                                                         {"Alt+X", CloseWay::AltX},
                                                         {"close box / Alt+F4", CloseWay::CloseBox},
                                                         {"close()", CloseWay::CloseCall}};
        for (const auto& [name, way] : ways) {
            QTest::addRow("%s, No", name) << way << false;
            QTest::addRow("%s, Yes", name) << way << true;
        }
    }

    void closing()
    {
        QFETCH(CloseWay, way);
        QFETCH(bool, answer);
        prompter_.answer = answer;
        switch (way) {
        case CloseWay::ExitCommand: DM->ac_FileExit->trigger(); break;
        case CloseWay::AltX: QTest::keyClick(window_, Qt::Key_X, Qt::AltModifier); break;
        // What the desktop sends for the close box, the system menu and Alt+F4.
        case CloseWay::CloseBox: window_->windowHandle()->close(); break;
        case CloseWay::CloseCall: window_->close(); break;
        }
        QCOMPARE(prompter_.confirms, 1);
        QCOMPARE(prompter_.confirmCaption, QStringLiteral("Выход"));
        QCOMPARE(prompter_.confirmText, QStringLiteral("Вы действительно хотите закрыть программу?"));
        QCOMPARE(window_->isVisible(), !answer);
        QVERIFY(prompter_.errors.isEmpty());
    }

    void fontCommandCancelledCopiesDialogFont()
    {
        GridFont arial;
        arial.name = "Arial";
        arial.size = 10;
        arial.charset = kRussianCharset;
        arial.color = 0x123456;
        window_->ChartGrid->SetFont(arial);

        DM->ac_ServiceOptions->trigger();

        QCOMPARE(prompter_.initialFont.family(), QStringLiteral("Wingdings"));
        QCOMPARE(prompter_.initialFont.pointSize(), 6);
        QVERIFY(DM->FontDialog.Font == SymbolFont());
        const GridFont& chart = window_->ChartGrid->Font();
        QCOMPARE(chart.name, std::string("Wingdings"));
        QCOMPARE(chart.size, 6);
        QCOMPARE(chart.charset, kSymbolCharset);
        QVERIFY(chart.style == FontStyle());
        QCOMPARE(chart.color, ColorValue{0x123456}); // colour is not the symbol font's to give
    }

    void fontCommandConfirmedChangesChart()
    {
        prompter_.chooseFont = [] {
            QFont f(QStringLiteral("Liberation Serif"));
            f.setPointSize(20);
            f.setBold(true);
            f.setUnderline(true);
            return std::optional<QFont>(f);
        };
        DM->FontDialog.Font.Color = 0x0000FF;

        DM->ac_ServiceOptions->trigger();

        const SymbolFont& chosen = DM->FontDialog.Font;
        QCOMPARE(chosen.Name, std::string("Liberation Serif"));
        QCOMPARE(chosen.Size, 20);
        QVERIFY((chosen.Style == FontStyle{true, false, true, false}));
        QCOMPARE(chosen.Charset, kRussianCharset);
        QCOMPARE(chosen.Color, ColorValue{0x0000FF});
        const GridFont& chart = window_->ChartGrid->Font();
        QCOMPARE(chart.name, chosen.Name);
        QCOMPARE(chart.size, 20);
        QVERIFY(chart.style == chosen.Style);
        QCOMPARE(chart.charset, kRussianCharset);
        QCOMPARE(chart.color, clWindowText);
        // The chart keeps its cell sizes.
        QCOMPARE(window_->ChartGrid->model().ColWidth(1), 12);
        QCOMPARE(window_->ChartGrid->model().RowHeight(1), 12);
    }

    void failingCommandShowsErrorBoxAndProgramGoesOn()
    {
        prompter_.chooseFont = []() -> std::optional<QFont> { throw std::runtime_error("no fonts here"); };
        DM->ac_ServiceOptions->trigger();
        QCOMPARE(prompter_.errors, QStringList({"no fonts here"}));
        QCOMPARE(prompter_.errorCaption, QStringLiteral("Velmora 2"));
        QVERIFY(window_->isVisible());

        prompter_.chooseFont = [] { return std::nullopt; };
        DM->ac_ServiceOptions->trigger();
        QCOMPARE(prompter_.errors.size(), 1);
    }

    void failingStartUpStepSkipsTheRest()
    {
        // A stored dithering text that is no Boolean: the step fails, the chart keeps its font.
        GridFont arial;
        arial.name = "Arial";
        window_->ChartGrid->SetFont(arial);
        DM->StoredDithering = "maybe";
        DM->Dithering = true;

        QVERIFY(!RunGuarded([] { DM->DataModuleCreate(); }));

        QCOMPARE(prompter_.errors, QStringList({"Could not convert variant of type (String) into type (Boolean)"}));
        QVERIFY(!DM->Dithering);
        QCOMPARE(window_->ChartGrid->Font().name, std::string("Arial"));
    }

    void newSchemeCommandIsHarmlessUntilTheWizard()
    {
        DM->PictureLoaded = true;
        // The wizard, cancelled at once, runs in the wizard's own tests.
        const WizardShow previous = InstallWizardShow([](NewSchemeWizard&) { return 0; });
        DM->ac_FileNew->trigger();
        InstallWizardShow(previous);
        QVERIFY(!DM->PictureLoaded);
        QVERIFY(!DM->Session->SchemeReady);
        QVERIFY(prompter_.errors.isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
