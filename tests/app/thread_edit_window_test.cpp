// Replacing and merging threads in the window, with undo and redo: the legend's double click and
// context command open the chooser, a merge asks first, and chart, legend and picture show each
// step at once. VELMORA_SCREENSHOT_DIR, when set, receives a picture of every step.
#include "app/data_module.h"
#include "screenshot.h"
#include "app/main_window.h"
#include "app/scheme_editor.h"
#include "app/thread_chooser_dialog.h"
#include "main_window_fixture.h"
#include "same_as_tool.h"
#include "scheme/scheme_file.h"
#include "tests/read_file.h"
#include "view/paint/qt_bridge.h"
#include "scheme/thread_edit.h"
#include "scheme/color_text.h"
#include "scheme/legend_columns.h"
#include "view/chart_look.h"
#include "view/symbol_text.h"
#include "view/qt/scheme_grid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QScreen>
#include <QToolTip>
#include <QUndoStack>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <stdexcept>

using namespace velmora;
using test::SaveScreenshot;

namespace {

int Dmc(const char* name) { return FindDmc(name); }

// White 10, 3747 20, 644 30, 433 25 and 310 15 stitches, one thread to a band of rows: the legend
// lists them in this order, rows 1 to 5.
SchemeDocument BandScheme()
{
    const std::pair<const char*, int> bands[] = {{"White", 10}, {"3747", 20}, {"644", 30}, {"433", 25}, {"310", 15}};
    Bitmap source(10, 10);
    std::size_t i = 0;
    for (const auto& [name, count] : bands)
        for (int k = 0; k < count; ++k)
            source.pixels()[i++] = DMCTable[std::size_t(Dmc(name))].Color;
    SchemeEngine engine;
    return engine.BuildScheme(source, {10, 10, 5, {"!", "\"", "#", "$", "%"}, false});
}

// Answers the next chooser: chooses `name` and presses "Заменить".
void ChooseInNextChooser(const char* name, const char* screenshot = nullptr)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, screenshot] {
        auto* chooser = qobject_cast<ThreadChooserDialog*>(QApplication::activeModalWidget());
        if (chooser == nullptr)
            return;
        poll->deleteLater();
        poll->stop();
        QVERIFY(chooser->Choose(Dmc(name)));
        if (screenshot != nullptr)
            SaveScreenshot(*chooser, screenshot);
        chooser->Buttons->button(QDialogButtonBox::Ok)->click();
    });
    poll->start(10);
}

} // namespace

class ThreadEditWindowTest : public test::MainWindowFixture {
    Q_OBJECT

private slots:
    void init()
    {
        OpenWindow();
        window_->resize(1000, 700);
        window_->ShowScheme(BandScheme());
        DM->Session->MarkSchemeSaved();
    }

    void cleanup() { CloseWindow(); }

    void replaceMergeUndoAndRedo()
    {
        const SchemeDocument built = BandScheme();
        SchemeDocument expected = built;
        SchemeGrid& legend = *window_->LegendGrid;
        window_->PageControl->setCurrentWidget(window_->ts_Symbols);
        QVERIFY(!DM->ac_EditUndo->isEnabled());

        // A double click on 644's row: replaced by Ecru, which moves up to row 2.
        ChooseInNextChooser("Ecru", "chooser");
        QTest::mouseDClick(legend.viewport(), Qt::LeftButton, {}, legend.CellRect(3, 3).center());
        ReplaceThread(expected, Dmc("644"), Dmc("Ecru"));
        ExpectShown(expected);
        QCOMPARE(legend.Cells(3, 2), std::string("Ecru"));
        QVERIFY(DM->Session->SchemeModified());
        SaveScreenshot(*window_, "replaced");

        // The command on 433's row, choosing 3747 of the scheme: a merge asks first.
        legend.SetRow(4);
        DM->UpdateActions();
        QVERIFY(DM->ac_EditReplaceThread->isEnabled());
        ChooseInNextChooser("3747");
        DM->ac_EditReplaceThread->trigger();
        QCOMPARE(prompter_.confirms, 1);
        QVERIFY(prompter_.confirmText.contains(QStringLiteral("Нитка 3747 уже есть в схеме")));
        ExpectShown(expected); // "Нет": nothing changed
        prompter_.answer = true;
        ChooseInNextChooser("3747");
        DM->ac_EditReplaceThread->trigger();
        const SchemeDocument replaced = expected;
        ReplaceThread(expected, Dmc("433"), Dmc("3747"));
        ExpectShown(expected);
        window_->PageControl->setCurrentWidget(window_->ts_Picture);
        SaveScreenshot(*window_, "merged");

        // The edited scheme is what velmora-cli makes of the built one with the same
        // --replace-thread options: the same scheme file, hence the same files from it.
        QCOMPARE(SchemeFileText(DM->Session->Scheme), SchemeFileText(expected));

        // Undo with Ctrl+Z twice, back to the build; redo with Ctrl+Y and Ctrl+Shift+Z.
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        DM->UpdateActions();
        QTest::keyClick(window_, Qt::Key_Z, Qt::ControlModifier);
        ExpectShown(replaced);
        QTest::keyClick(window_, Qt::Key_Z, Qt::ControlModifier);
        ExpectShown(built);
        DM->UpdateActions();
        QVERIFY(!DM->ac_EditUndo->isEnabled());
        window_->PageControl->setCurrentWidget(window_->ts_Symbols);
        SaveScreenshot(*window_, "undone");
        QTest::keyClick(window_, Qt::Key_Y, Qt::ControlModifier);
        ExpectShown(replaced);
        QTest::keyClick(window_, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        ExpectShown(expected);
        SaveScreenshot(*window_, "redone");
        DM->UpdateActions();
        QVERIFY(!DM->ac_EditRedo->isEnabled());

        // A new scheme cannot take back the edits of the one before.
        window_->ShowScheme(BandScheme());
        DM->UpdateActions();
        QVERIFY(!DM->ac_EditUndo->isEnabled());
    }

    // The look the View menu asks for stays on through every edit: the legend keeps its column
    // of skeins (which the legend PDF prints) and the chart's cells take their new threads' colours.
    void lookFollowsEditsAndUndo()
    {
        SchemeGrid& legend = *window_->LegendGrid;
        SchemeGrid& chart = *window_->ChartGrid;
        DM->ac_ViewSkeins->trigger();
        DM->ac_ViewColorCells->trigger();
        const auto expectLook = [&] {
            QCOMPARE(legend.ColCount(), 6);
            QCOMPARE(legend.cellTable(),
                     LegendWithSkeins(DM->Session->Scheme.legend, true, DM->Session->Scheme.fabricCount));
            // Cell (1, 4) holds a stitch of the band that was 644.
            std::optional<Color> thread;
            for (int row = 1; row < DM->Session->Scheme.legend.rows(); ++row)
                if (DM->Session->Scheme.legend.text(LegendColumn::Symbol, row) == DM->Session->Scheme.chart.text(1, 4))
                    thread = ColorFromText(DM->Session->Scheme.legend.text(LegendColumn::Colour, row));
            QVERIFY(thread.has_value());
            const QImage screen = chart.viewport()->grab().toImage();
            QCOMPARE(screen.pixelColor(chart.CellRect(1, 4).topLeft() + QPoint(2, 2)),
                     QColor(Red(*thread), Green(*thread), Blue(*thread)));
        };
        window_->PageControl->setCurrentWidget(window_->ts_Image);
        QCoreApplication::processEvents();
        expectLook();
        DM->Session->Editor->ReplaceThread(Dmc("644"), Dmc("Ecru"));
        expectLook();
        prompter_.answer = true;
        DM->Session->Editor->ReplaceThread(Dmc("433"), Dmc("3747"));
        expectLook();
        // A disabled action does not run: the commands' states as the idle update leaves them.
        DM->UpdateActions();
        DM->ac_EditUndo->trigger();
        DM->UpdateActions();
        DM->ac_EditUndo->trigger();
        QCOMPARE(DM->Session->Scheme.chart, BandScheme().chart);
        QCOMPARE(DM->Session->Scheme.legend, BandScheme().legend);
        expectLook();
        SaveScreenshot(*window_, "look-after-undo");
        DM->UpdateActions();
        DM->ac_EditRedo->trigger();
        expectLook();
    }

    // With the chart page showing, the command replaces the thread of the chart's current cell
    // (an empty cell is White's); with the legend showing, the thread of the legend's row.
    void replaceFromTheChartsCurrentCell()
    {
        SchemeDocument expected = BandScheme();
        SchemeGrid& chart = *window_->ChartGrid;
        SchemeGrid& legend = *window_->LegendGrid;
        legend.SetRow(2); // 3747
        window_->PageControl->setCurrentWidget(window_->ts_Image);
        chart.SetCurrent(3, 5); // a stitch of 644
        DM->UpdateActions();
        QVERIFY(DM->ac_EditReplaceThread->isEnabled());
        ChooseInNextChooser("Ecru");
        DM->ac_EditReplaceThread->trigger();
        ReplaceThread(expected, Dmc("644"), Dmc("Ecru"));
        ExpectShown(expected);

        chart.SetCurrent(2, 1); // White's
        DM->UpdateActions();
        ChooseInNextChooser("746");
        DM->ac_EditReplaceThread->trigger();
        ReplaceThread(expected, kDmcWhite, Dmc("746"));
        ExpectShown(expected);

        // The chart's empty last row holds no stitch.
        chart.SetCurrent(2, chart.RowCount() - 1);
        DM->UpdateActions();
        QVERIFY(!DM->ac_EditReplaceThread->isEnabled());

        window_->PageControl->setCurrentWidget(window_->ts_Symbols);
        legend.SetRow(3);
        const int from = DM->Session->Editor->ThreadOfLegendRow(3);
        DM->UpdateActions();
        ChooseInNextChooser("820");
        DM->ac_EditReplaceThread->trigger();
        ReplaceThread(expected, from, Dmc("820"));
        ExpectShown(expected);
    }

    // Hovering over a stitch names its thread, symbol, column, row and crosses; an empty cell is
    // White's cloth; the headings and the empty last row say nothing.
    void chartCellTooltip()
    {
        SchemeGrid& chart = *window_->ChartGrid;
        window_->PageControl->setCurrentWidget(window_->ts_Image);
        window_->activateWindow();
        QCoreApplication::processEvents();
        const auto tipAt = [&](int col, int row) {
            QToolTip::hideText();
            const QPoint at = chart.CellRect(col, row).center();
            QHelpEvent help(QEvent::ToolTip, at, chart.viewport()->mapToGlobal(at));
            QApplication::sendEvent(chart.viewport(), &help);
            // A cell without a tip leaves the event unhandled.
            return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        const auto symbolOf = [&](int col, int row) {
            const char32_t shown =
                WingdingsEquivalent(static_cast<unsigned char>(DM->Session->Scheme.chart.text(col, row)[0]));
            return QString::fromUcs4(&shown, 1);
        };
        // Rows 4 to 6 are 644's 30 stitches, row 10 half 310's.
        QCOMPARE(tipAt(3, 5), QStringLiteral("Нитка 644, символ %1, столбец 3, строка 5, крестиков 30").arg(symbolOf(3, 5)));
        QCOMPARE(tipAt(10, 10), QStringLiteral("Нитка 310, символ %1, столбец 10, строка 10, крестиков 15").arg(symbolOf(10, 10)));
        // The whole screen: the tip is a window of its own.
        if (const QByteArray folder = qgetenv("VELMORA_SCREENSHOT_DIR"); !folder.isEmpty()) {
            QTest::qWait(300);
            QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(folder) + "/tooltip.png");
        }
        QCOMPARE(tipAt(2, 1), QStringLiteral("Нитка White, пустая клетка (ткань), столбец 2, строка 1, крестиков 10"));
        for (const QPoint cell : {QPoint(0, 3), QPoint(3, 0), QPoint(3, chart.RowCount() - 1)})
            QCOMPARE(tipAt(cell.x(), cell.y()), QString());
        // An edit shows at once.
        DM->Session->Editor->ReplaceThread(Dmc("644"), Dmc("Ecru"));
        QVERIFY(tipAt(3, 5).startsWith(QStringLiteral("Нитка Ecru, символ")));
    }

    void onlyThreadRowsOfferTheReplacement()
    {
        SchemeGrid& legend = *window_->LegendGrid;
        window_->PageControl->setCurrentWidget(window_->ts_Symbols);
        for (const auto& [row, offered] : {std::pair{1, true}, {5, true}, {6, false}}) {
            legend.SetRow(row);
            DM->UpdateActions();
            QCOMPARE(DM->ac_EditReplaceThread->isEnabled(), offered);
        }
        // The context menu on a thread row makes it the current row and offers the command.
        const QPoint onRow = legend.CellRect(3, 4).center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, onRow, legend.viewport()->mapToGlobal(onRow));
        QApplication::sendEvent(legend.viewport(), &menuEvent);
        QTRY_VERIFY(DM->Session->Editor->pm_Legend->isVisible());
        QCOMPARE(legend.Row(), 4);
        QCOMPARE(DM->Session->Editor->pm_Legend->actions(), QList<QAction*>({DM->ac_EditReplaceThread}));
        QVERIFY(DM->ac_EditReplaceThread->isEnabled());
        SaveScreenshot(*DM->Session->Editor->pm_Legend, "legend-menu");
        DM->Session->Editor->pm_Legend->close();

        // A double click on the header or the empty last row does nothing.
        QTest::mouseDClick(legend.viewport(), Qt::LeftButton, {}, legend.CellRect(3, 0).center());
        QTest::mouseDClick(legend.viewport(), Qt::LeftButton, {}, legend.CellRect(3, 6).center());
        QCOMPARE(DM->Session->Editor->UndoStack->count(), 0);
    }

    // The source picture as the build sampled it, beside or in place of the mapped one; not
    // offered for a scheme whose source is not at hand.
    void sourcePictureBesideOrInstead()
    {
        Bitmap source(40, 20);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                source.setPixel(x, y, MakeColor(x * 6, y * 12, 128) | 0xFF000000);
        DM->SourcePicture = source;
        window_->BuildScheme({20, 10, 4, {"!", "\"", "#", "$"}, false});
        DM->UpdateActions();
        QVERIFY(DM->ac_EditSourceBeside->isEnabled() && DM->ac_EditSourceInstead->isEnabled());
        QVERIFY(window_->sb_Source->isHidden()); // the page as it always was, until asked

        DM->ac_EditSourceBeside->trigger();
        QVERIFY(!window_->sb_Source->isHidden() && !window_->sb_Picture->isHidden());
        QCOMPARE(window_->im_Source->pixmap().toImage(), ToQImage(WorkingPicture(source, 20, 10)));
        QCOMPARE(window_->im_Source->size(), QSize(20, 10));
        window_->PageControl->setCurrentWidget(window_->ts_Picture);
        SaveScreenshot(*window_, "source-beside");

        DM->ac_EditSourceInstead->trigger();
        QVERIFY(!DM->ac_EditSourceBeside->isChecked());
        QVERIFY(!window_->sb_Source->isHidden() && window_->sb_Picture->isHidden());
        DM->ac_EditSourceInstead->trigger();
        QVERIFY(window_->sb_Source->isHidden() && !window_->sb_Picture->isHidden());

        // A scheme shown without its source: the commands are off and the source hidden.
        DM->ac_EditSourceBeside->trigger();
        window_->ShowScheme(BandScheme());
        DM->UpdateActions();
        QVERIFY(!DM->ac_EditSourceBeside->isEnabled() && !DM->ac_EditSourceInstead->isEnabled());
        QVERIFY(window_->sb_Source->isHidden() && !window_->sb_Picture->isHidden());
    }

    // A scheme file opened, edited in the window and saved gives velmora-cli the files that its
    // --replace-thread options make of the file as it was.
    void savedEditsAreTheToolsEdits()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/velmora-thread-edit-window");
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        const std::filesystem::path rose = std::filesystem::path(VELMORA_TEST_DATA_DIR) / "schemes" / "rose-14x10.velmora";
        DM->Session->OpenScheme(rose);
        DM->Session->Editor->ReplaceThread(Dmc("3328"), Dmc("356"));
        DM->Session->Editor->ReplaceThread(Dmc("645"), Dmc("310"));
        DM->Session->Editor->ReplaceThread(Dmc("341"), kDmcWhite);
        QVERIFY(DM->Session->SchemeModified());
        const std::filesystem::path edited = ToPath(folder + QStringLiteral("/edited.velmora"));
        DM->Session->SaveScheme(edited);

        CompareWithTool(folder, edited,
                        {QString::fromStdString(rose.string()), QStringLiteral("--replace-thread"),
                         QStringLiteral("3328=356"), QStringLiteral("--replace-thread"), QStringLiteral("645=310"),
                         QStringLiteral("--replace-thread"), QStringLiteral("341=White")});
    }

private:
    // Also the picture page, at a few stitches of the 10 × 10 fixture.
    void CompareShown(const SchemeDocument& expected) override
    {
        MainWindowFixture::CompareShown(expected);
        if (QTest::currentTestFailed())
            return;
        const QImage shown = window_->im_Picture->pixmap().toImage();
        for (int i : {0, 15, 45, 70, 99}) {
            const Color color = expected.picture.pixel(i % 10, i / 10);
            QCOMPARE(shown.pixelColor(i % 10, i / 10), QColor(Red(color), Green(color), Blue(color)));
        }
    }
};

QTEST_MAIN(ThreadEditWindowTest)
#include "thread_edit_window_test.moc"
