// The drawing tools of the chart page driven with the mouse: each stroke is one undo step that
// gives back the scheme cell for cell, the legend counts follow, and the chart page without a tool
// is the page it always was. VELMORA_SCREENSHOT_DIR, when set, receives the window with each tool
// at 100 % and 400 %.
#include "app/chart_tools.h"
#include "screenshot.h"
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/scheme_editor.h"
#include "app/thread_chooser_dialog.h"
#include "main_window_fixture.h"
#include "same_as_tool.h"
#include "scheme/crop_scheme.h"
#include "scheme/stitch_edit.h"
#include "scheme/thread_edit.h"
#include "tests/read_file.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

#include <map>
#include <stdexcept>

using namespace velmora;
using test::SaveScreenshot;

namespace {

int Dmc(const char* name) { return FindDmc(name); }

// 20 × 12: four rows of White, four of 3747, four of 310, top to bottom.
SchemeDocument BandScheme()
{
    Bitmap source(20, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            source.setPixel(x, y, DMCTable[std::size_t(Dmc(y < 4 ? "White" : y < 8 ? "3747" : "310"))].Color);
    return SchemeEngine().BuildScheme(source, {20, 12, 3, {"!", "\"", "#"}, false});
}

std::map<int, int> Counts(const SchemeDocument& document)
{
    std::map<int, int> counts;
    for (const LegendEntry& entry : SchemeThreads(document))
        counts[entry.dmc] = entry.stitches;
    return counts;
}

} // namespace

class ChartToolsTest : public test::MainWindowFixture {
    Q_OBJECT

private slots:
    void init()
    {
        OpenWindow();
        window_->resize(1000, 700);
        window_->ShowScheme(BandScheme());
        DM->Session->MarkSchemeSaved();
        window_->PageControl->setCurrentWidget(window_->ts_Image);
    }

    void cleanup() { CloseWindow(); }

    // Without the tools the bar is hidden, its keys do nothing and a click moves the current cell.
    void chartPageWithoutToolsIsUnchanged()
    {
        ChartTools& tools = *DM->Session->Tools;
        QVERIFY(!DM->ac_EditDrawTools->isChecked());
        QVERIFY(!tools.ChartToolBar->isVisible());
        DM->UpdateActions();
        QVERIFY(!tools.ac_ToolPencil->isEnabled());
        const QPoint before = window_->pn_Image->geometry().topLeft();
        QTest::keyClick(window_->ChartGrid, Qt::Key_P);
        QCOMPARE(tools.CurrentTool(), ChartTools::Tool::None);
        Click(Qt::LeftButton, 4, 6);
        QCOMPARE(window_->ChartGrid->Col(), 5);
        QCOMPARE(window_->ChartGrid->Row(), 7);
        QCOMPARE(DM->Session->Scheme.chart, BandScheme().chart);
        QVERIFY(DM->Session->Editor->UndoStack->count() == 0);

        // Shown and hidden again, the page is as it was.
        SetDrawing(true);
        QVERIFY(tools.ChartToolBar->isVisible());
        QTRY_VERIFY(window_->pn_Image->geometry().top() > before.y());
        tools.ac_ToolPencil->trigger();
        SetDrawing(false);
        QCOMPARE(tools.CurrentTool(), ChartTools::Tool::None);
        QTRY_COMPARE(window_->pn_Image->geometry().topLeft(), before);
        Click(Qt::LeftButton, 2, 2);
        QCOMPARE(window_->ChartGrid->Col(), 3);
        QCOMPARE(DM->Session->Scheme.chart, BandScheme().chart);
    }

    // A drag is one step: undo gives back every stitch, redo makes the stroke again; the right
    // button erases to the cloth.
    void pencilStrokeIsOneStep()
    {
        const SchemeDocument built = BandScheme();
        ChartTools& tools = *DM->Session->Tools;
        SetDrawing(true);
        QTest::keyClick(window_->ChartGrid, Qt::Key_P);
        QCOMPARE(tools.CurrentTool(), ChartTools::Tool::Pencil);
        QCOMPARE(tools.CurrentThread(), Dmc("310"));

        // (1, 1) to (6, 1) and down to (6, 3), all White: 310 gains eight stitches.
        Press(Qt::LeftButton, 1, 1);
        Move(3, 1);
        Move(6, 1);
        Move(6, 3);
        Release(Qt::LeftButton, 6, 3);
        SchemeDocument expected = built;
        std::vector<StitchChange> stroke;
        for (int x = 1; x <= 6; ++x)
            stroke.push_back({1 * 20 + x, Dmc("310")});
        for (int y = 2; y <= 3; ++y)
            stroke.push_back({y * 20 + 6, Dmc("310")});
        SetStitches(expected, stroke);
        ExpectShown(expected);
        QCOMPARE(Counts(DM->Session->Scheme)[Dmc("310")], 80 + 8);
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 1);
        QVERIFY(DM->Session->SchemeModified());
        SaveScreenshot(*window_, QStringLiteral("pencil-100"));

        // The right button: back to the cloth.
        Press(Qt::RightButton, 6, 10);
        // Undo waits for the stroke's end: its pieces are not a step yet.
        DM->UpdateActions();
        QVERIFY(!DM->ac_EditUndo->isEnabled());
        Release(Qt::RightButton, 6, 10);
        DM->UpdateActions();
        QVERIFY(DM->ac_EditUndo->isEnabled());
        SchemeDocument erased = expected;
        SetStitches(erased, std::vector<StitchChange>{{10 * 20 + 6, kDmcWhite}});
        ExpectShown(erased);
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 2);

        DM->Session->Editor->UndoStack->undo();
        ExpectShown(expected);
        DM->Session->Editor->UndoStack->undo();
        ExpectShown(built);
        DM->Session->Editor->UndoStack->redo();
        ExpectShown(expected);
        DM->Session->Editor->UndoStack->redo();
        ExpectShown(erased);
    }

    // The eyedropper takes a stitch's thread, the fill gives it the area of one thread; a legend
    // row's click chooses its thread.
    void eyedropperFillAndLegend()
    {
        const SchemeDocument built = BandScheme();
        ChartTools& tools = *DM->Session->Tools;
        SetDrawing(true);
        QTest::keyClick(window_->ChartGrid, Qt::Key_I);
        Click(Qt::LeftButton, 3, 5);
        QCOMPARE(tools.CurrentThread(), Dmc("3747"));
        QTest::keyClick(window_->ChartGrid, Qt::Key_F);
        QCOMPARE(tools.CurrentTool(), ChartTools::Tool::Fill);
        Click(Qt::LeftButton, 0, 0);
        QCOMPARE(Counts(DM->Session->Scheme)[Dmc("3747")], 160);
        QCOMPARE(Counts(DM->Session->Scheme)[kDmcWhite], 0);
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 1);
        SaveScreenshot(*window_, QStringLiteral("fill-100"));
        DM->Session->Editor->UndoStack->undo();
        ExpectShown(built);

        // The legend row of 310 (the last thread row) makes it current.
        SchemeGrid& legend = *window_->LegendGrid;
        window_->PageControl->setCurrentWidget(window_->ts_Symbols);
        QTest::mouseClick(legend.viewport(), Qt::LeftButton, {}, legend.CellRect(1, 3).center());
        QCOMPARE(tools.CurrentThread(), Dmc("310"));
    }

    // A thread chosen from the catalogue joins the legend with a symbol when first drawn, and
    // leaves with the undo.
    void catalogueThreadJoinsTheLegend()
    {
        const SchemeDocument built = BandScheme();
        ChartTools& tools = *DM->Session->Tools;
        SetDrawing(true);
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [poll] {
            auto* chooser = qobject_cast<ThreadChooserDialog*>(QApplication::activeModalWidget());
            if (chooser == nullptr)
                return;
            poll->deleteLater();
            poll->stop();
            QVERIFY(chooser->Choose(Dmc("Ecru")));
            chooser->Buttons->button(QDialogButtonBox::Ok)->click();
        });
        poll->start(10);
        tools.ac_ToolThread->trigger();
        QCOMPARE(tools.CurrentThread(), Dmc("Ecru"));
        QVERIFY(tools.lb_ToolThread->text().contains(QStringLiteral("Ecru")));
        tools.ac_ToolPencil->trigger();
        Click(Qt::LeftButton, 10, 10);
        QCOMPARE(Counts(DM->Session->Scheme)[Dmc("Ecru")], 1);
        QCOMPARE(window_->LegendGrid->cellTable(), DM->Session->Scheme.legend);
        QCOMPARE(window_->ChartGrid->cellTable(), DM->Session->Scheme.chart);
        DM->Session->Editor->UndoStack->undo();
        ExpectShown(built);
    }

    // A selection dragged out is filled, erased, or the scheme is cropped to it.
    void selectionFillEraseAndCrop()
    {
        const SchemeDocument built = BandScheme();
        ChartTools& tools = *DM->Session->Tools;
        SetDrawing(true);
        QTest::keyClick(window_->ChartGrid, Qt::Key_R);
        QCOMPARE(tools.CurrentTool(), ChartTools::Tool::Selection);
        DM->UpdateActions();
        QVERIFY(!tools.ac_ToolCrop->isEnabled());
        Press(Qt::LeftButton, 14, 11);
        Move(8, 6);
        Move(2, 1);
        Release(Qt::LeftButton, 2, 1);
        QCOMPARE(tools.Selection(), QRect(2, 1, 13, 11));
        DM->UpdateActions();
        QVERIFY(tools.ac_ToolCrop->isEnabled());
        SaveScreenshot(*window_, QStringLiteral("selection-100"));

        tools.ac_ToolSelectionFill->trigger();
        // Columns 2..14, rows 1..11: 310 gains the 13 stitches of rows 1 to 7, then all go.
        QCOMPARE(Counts(DM->Session->Scheme)[Dmc("310")], 80 + 7 * 13);
        tools.ac_ToolSelectionErase->trigger();
        QCOMPARE(Counts(DM->Session->Scheme)[kDmcWhite], 80 - 3 * 13 + 11 * 13);
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 2);
        DM->Session->Editor->UndoStack->undo();
        DM->Session->Editor->UndoStack->undo();
        ExpectShown(built);

        tools.ac_ToolCrop->trigger();
        const SchemeDocument cropped = CropScheme(built, {2, 1, 13, 11});
        ExpectShown(cropped);
        QCOMPARE(window_->ChartGrid->ColCount(), 14);
        QVERIFY(tools.Selection().isEmpty());
        SaveScreenshot(*window_, QStringLiteral("cropped-100"));
        DM->Session->Editor->UndoStack->undo();
        ExpectShown(built);
        DM->Session->Editor->UndoStack->redo();
        ExpectShown(cropped);

        // Smaller than a chart can be: refused with a message, nothing changed.
        Press(Qt::LeftButton, 0, 0);
        Release(Qt::LeftButton, 3, 3);
        QCOMPARE(tools.Selection(), QRect(0, 0, 4, 4));
        tools.ac_ToolCrop->trigger();
        ExpectShown(cropped);
        QCOMPARE(prompter_.errors.size(), 1);
        QVERIFY(prompter_.errors.front().contains(QStringLiteral("меньше 10 × 10")));
    }

    // A line from corner to corner, snapped to the nearest ones; the right button on it removes it.
    void backstitchDrawnAndRemoved()
    {
        ChartTools& tools = *DM->Session->Tools;
        SetDrawing(true);
        QTest::keyClick(window_->ChartGrid, Qt::Key_B);
        QCOMPARE(tools.CurrentTool(), ChartTools::Tool::Backstitch);
        SchemeGrid& chart = *window_->ChartGrid;
        // Near the top-left corner of stitch (2, 1), dragged to near the bottom-right one of (7, 4).
        const QPoint from = chart.CellRect(3, 2).topLeft() + QPoint(2, 2);
        const QPoint to = chart.CellRect(8, 5).bottomRight() - QPoint(2, 2);
        QTest::mousePress(chart.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(chart.viewport(), (from + to) / 2);
        QTest::mouseRelease(chart.viewport(), Qt::LeftButton, {}, to);
        const std::vector<Backstitch> drawn = {{Dmc("310"), 2, 1, 8, 5}};
        QCOMPARE(DM->Session->Scheme.backstitches, drawn);
        QCOMPARE(tools.CornerAt(from), QPoint(2, 1));

        // A right click beside the line's middle takes it away; one far off does nothing.
        QTest::mouseClick(chart.viewport(), Qt::RightButton, {}, chart.CellRect(1, 10).center());
        QCOMPARE(DM->Session->Scheme.backstitches, drawn);
        const QPoint middle = (tools.CornerPoint({2, 1}) + tools.CornerPoint({8, 5})) / 2 + QPoint(1, 0);
        QTest::mouseClick(chart.viewport(), Qt::RightButton, {}, middle);
        QVERIFY(DM->Session->Scheme.backstitches.empty());
        DM->Session->Editor->UndoStack->undo();
        QCOMPARE(DM->Session->Scheme.backstitches, drawn);
        DM->Session->Editor->UndoStack->undo();
        QVERIFY(DM->Session->Scheme.backstitches.empty());
        QCOMPARE(DM->Session->Scheme.legend, BandScheme().legend);
    }

    // A scheme file cropped in the window and saved gives velmora-cli the files that its --crop
    // makes of the file as it was, its lines of backstitch clipped alike.
    void croppedInTheWindowAsByTheTool()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/velmora-chart-tools");
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        const std::filesystem::path rose =
            std::filesystem::path(VELMORA_TEST_DATA_DIR) / "schemes" / "rose-14x10-backstitch.velmora";
        DM->Session->OpenScheme(rose);
        QVERIFY(!DM->Session->Scheme.backstitches.empty());
        SetDrawing(true);
        DM->Session->Tools->ac_ToolSelection->trigger();
        Press(Qt::LeftButton, 2, 0);
        Move(13, 9);
        Release(Qt::LeftButton, 13, 9);
        DM->UpdateActions();
        DM->Session->Tools->ac_ToolCrop->trigger();
        QCOMPARE(window_->ChartGrid->ColCount(), 13);
        const std::filesystem::path edited = ToPath(folder + QStringLiteral("/cropped.velmora"));
        DM->Session->SaveScheme(edited);

        CompareWithTool(folder, edited,
                        {QString::fromStdString(rose.string()), QStringLiteral("--crop"), QStringLiteral("3,1,12,10")});
    }

    // The window with each tool at 100 % and 400 %, for looking at (VELMORA_SCREENSHOT_DIR).
    void screenshotsAtBothZooms()
    {
        if (qEnvironmentVariableIsEmpty("VELMORA_SCREENSHOT_DIR"))
            QSKIP("no VELMORA_SCREENSHOT_DIR");
        ChartTools& tools = *DM->Session->Tools;
        SetDrawing(true);
        for (const int zoom : {100, 400}) {
            DM->View.zoom = zoom;
            DM->ApplyView();
            const QString z = QString::number(zoom);
            tools.ac_ToolPencil->trigger();
            Press(Qt::LeftButton, 1, 1);
            Move(4, 2);
            Release(Qt::LeftButton, 4, 2);
            tools.ac_ToolSelection->trigger();
            Press(Qt::LeftButton, 1, 1);
            Release(Qt::LeftButton, 3, 3);
            SaveScreenshot(*window_, QStringLiteral("tools-pencil-selection-") + z);
            tools.ac_ToolBackstitch->trigger();
            SchemeGrid& chart = *window_->ChartGrid;
            QTest::mousePress(chart.viewport(), Qt::LeftButton, {}, tools.CornerPoint({0, 0}));
            QTest::mouseMove(chart.viewport(), tools.CornerPoint({3, 2}) + QPoint(1, 1));
            SaveScreenshot(*window_, QStringLiteral("tools-backstitch-drag-") + z);
            QTest::mouseRelease(chart.viewport(), Qt::LeftButton, {}, tools.CornerPoint({3, 2}));
            SaveScreenshot(*window_, QStringLiteral("tools-backstitch-") + z);
            window_->ShowScheme(BandScheme());
        }
    }

private:
    void SetDrawing(bool on)
    {
        if (DM->ac_EditDrawTools->isChecked() != on)
            DM->ac_EditDrawTools->trigger();
        DM->UpdateActions();
        // The tools' keys are shortcuts: they need the window active and the chart's focus.
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        window_->ChartGrid->setFocus();
    }

    QPoint At(int x, int y) const { return window_->ChartGrid->CellRect(x + 1, y + 1).center(); }
    void Press(Qt::MouseButton button, int x, int y)
    {
        QTest::mousePress(window_->ChartGrid->viewport(), button, {}, At(x, y));
    }
    void Move(int x, int y) { QTest::mouseMove(window_->ChartGrid->viewport(), At(x, y)); }
    void Release(Qt::MouseButton button, int x, int y)
    {
        QTest::mouseRelease(window_->ChartGrid->viewport(), button, {}, At(x, y));
    }
    void Click(Qt::MouseButton button, int x, int y)
    {
        QTest::mouseClick(window_->ChartGrid->viewport(), button, {}, At(x, y));
    }

};

QTEST_MAIN(ChartToolsTest)
#include "chart_tools_test.moc"
