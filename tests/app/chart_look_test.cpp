// The View menu on the main window: the chart's look on screen as the user switches it, the
// skeins column, the cloth and the finished size, the zoom, and what the settings keep of it.
#include "app/data_module.h"
#include "screenshot.h"
#include "app/fabric_dialog.h"
#include "app/main_window.h"
#include "main_window_fixture.h"
#include "memory_settings_registry.h"
#include "scheme/cp1251.h"
#include "picture/picture_loader.h"
#include "scheme/symbol_spread.h"
#include "view/chart_look.h"
#include "view/qt/scheme_grid.h"

#include <QComboBox>
#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#include <charconv>

using namespace velmora;

namespace {

const char kPicture[] = VELMORA_CORPUS_DIR "/bmp-variants/var-cat-v5-24bit-451x300.bmp";

// The chart grid as the screen shows it now.
QImage Screen(SchemeGrid& grid) { return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

ColorValue ColourAt(const QImage& image, QPoint p)
{
    const QRgb rgb = image.pixel(p);
    return static_cast<ColorValue>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}

} // namespace

class ChartLookTest : public velmora::test::MainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        InstallSettingsRegistry(&registry_);
        OpenWindow();
        window_->resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        DM->SourcePicture = LoadPicture(kPicture);
        SchemeRequest request;
        request.width = 40;
        request.height = 30;
        request.colorCount = 6;
        request.symbols = DefaultSymbolTexts(request.colorCount);
        window_->BuildScheme(request);
        window_->PageControl->setCurrentIndex(1);
        QCoreApplication::processEvents();
    }

    void cleanup()
    {
        CloseWindow();
        InstallSettingsRegistry(nullptr);
        registry_ = MemorySettingsRegistry();
    }

    // Each option changes the screen the way it says, and with all of them off again the screen
    // is the designed one, pixel for pixel.
    void optionsOnScreen()
    {
        SchemeGrid& chart = *window_->ChartGrid;
        const QImage designed = Screen(chart);
        // Stitch c's cell spans x = 24 + 12·(c − 1) .. +11: its own line on the last pixel.
        const auto cellX = [](int stitch) { return 24 + 12 * (stitch - 1); };
        const auto cellY = [](int stitch) { return 24 + 12 * (stitch - 1); };

        DM->ac_ViewTenLines->trigger();
        QVERIFY(DM->View.look.tenLines);
        const QImage lines = Screen(chart);
        for (const int row : {1, 5, 15, 30}) {
            // After stitch 10: its line and the next cell's first pixel black; after 9, silver.
            QCOMPARE(ColourAt(lines, {cellX(10) + 11, cellY(row) + 5}), clBlack);
            QCOMPARE(ColourAt(lines, {cellX(11), cellY(row) + 5}), clBlack);
            QCOMPARE(ColourAt(lines, {cellX(9) + 11, cellY(row) + 5}), clSilver);
            QCOMPARE(ColourAt(lines, {cellX(row) + 5, cellY(20) + 11}), clBlack);
        }
        QCOMPARE(ColourAt(lines, {cellX(3) + 5, cellY(10) + 10}), ColourAt(designed, {cellX(3) + 5, cellY(10) + 10}));

        DM->ac_ViewColorCells->trigger();
        const QImage coloured = Screen(chart);
        // Each stitch's cell is its thread's colour: read the legend's colour of the cell's symbol.
        const GridModel& legend = window_->LegendGrid->model();
        for (const auto& [c, r] : {std::pair{2, 3}, std::pair{17, 8}, std::pair{33, 26}}) {
            const std::string symbol = chart.Cells(c, r);
            ColorValue want = clWhite;
            for (int row = 1; row < legend.RowCount() - 1; ++row)
                if (legend.Cells(1, row) == symbol) {
                    const std::string value = legend.Cells(2, row);
                    std::from_chars(value.data(), value.data() + value.size(), want);
                }
            QCOMPARE(ColourAt(coloured, {cellX(c) + 1, cellY(r) + 1}), want);
        }

        DM->ac_ViewSkeins->trigger();
        QCOMPARE(legend.ColCount(), 6);
        QCOMPARE(Cp1251ToUtf8(legend.Cells(5, 0)), std::string("Мотков"));
        QVERIFY(window_->lb_FinishedSize->text().startsWith(QStringLiteral("Ткань 14: 7,3 × 5,4 см")));

        for (HintedAction* action : {DM->ac_ViewTenLines, DM->ac_ViewColorCells, DM->ac_ViewSkeins})
            action->trigger();
        QCOMPARE(legend.ColCount(), 5);
        QCOMPARE(Screen(chart), designed);
    }

    // Over dark stitches the ten-stitch lines turn white, on screen as on paper, at any zoom;
    // between light ones they stay black.
    void tenLinesShowOverDarkCells()
    {
        SchemeGrid& chart = *window_->ChartGrid;
        // Black on the left half, white on the right: 310 and White.
        Bitmap source(30, 20, MakeColor(255, 255, 255));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 15; ++x)
                source.setPixel(x, y, MakeColor(0, 0, 0));
        DM->SourcePicture = source;
        window_->BuildScheme({30, 20, 2, DefaultSymbolTexts(2), false});
        DM->ac_ViewTenLines->trigger();
        DM->ac_ViewColorCells->trigger();
        for (const int zoom : {100, 400}) {
            DM->ZoomBy(zoom == 100 ? 0 : 6);
            QCOMPARE(DM->View.zoom, zoom);
            chart.horizontalScrollBar()->setValue(0);
            chart.verticalScrollBar()->setValue(0);
            chart.ScrollInView(10, 11);
            const QImage screen = Screen(chart);
            // The edge after stitch 10, on both sides, in row 8: between black stitches.
            const QRect tenth = chart.CellRect(10, 8);
            QCOMPARE(ColourAt(screen, {tenth.right(), tenth.center().y()}), clWhite);
            QCOMPARE(ColourAt(screen, {tenth.right() + 1, tenth.center().y()}), clWhite);
            QCOMPARE(ColourAt(screen, tenth.topLeft() + QPoint(2, 2)), clBlack); // the stitch itself
            // The edge under row 10: white under the black stitches, black under the white ones.
            const QRect under = chart.CellRect(3, 10);
            QCOMPARE(ColourAt(screen, {under.center().x(), under.bottom()}), clWhite);
            if (zoom == 100) {
                const QRect light = chart.CellRect(20, 10);
                QCOMPARE(ColourAt(screen, {light.center().x(), light.bottom()}), clBlack);
            }
            SaveScreenshot(QStringLiteral("ten-lines-dark-%1").arg(zoom));
        }
    }

    // Ctrl+= and Ctrl+− step the zoom; cells, numbers and symbols grow together, the model (which
    // printing reads) keeps its sizes, and 100 % is the designed screen again.
    void zoom()
    {
        SchemeGrid& chart = *window_->ChartGrid;
        const QImage designed = Screen(chart);
        const QRect atHundred = chart.CellRect(3, 3);
        QTest::keyClick(window_, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(window_, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(DM->View.zoom, 150);
        QCOMPARE(chart.CellRect(3, 3).width(), atHundred.width() * 3 / 2);
        QCOMPARE(chart.CellRect(0, 3).width(), 36);
        QCOMPARE(chart.model().ColWidth(3), 12);
        QCOMPARE(chart.CellAt(chart.CellRect(7, 5).center()), QPoint(7, 5));
        QVERIFY(window_->lb_FinishedSize->text().endsWith(QStringLiteral("Масштаб 150 %")));
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(window_, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(DM->View.zoom, 50);
        QCOMPARE(chart.CellRect(3, 3).width(), 6);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(window_, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(DM->View.zoom, 125);
        QTest::keyClick(window_, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(DM->View.zoom, 100);
        QCOMPARE(Screen(chart), designed);

        // Ctrl and the wheel: a notch a step; without Ctrl the wheel scrolls.
        const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
            const QPointF at(100, 100);
            QWheelEvent event(at, chart.viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, modifiers,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(chart.viewport(), &event);
        };
        wheel(240, Qt::ControlModifier);
        QCOMPARE(DM->View.zoom, 150);
        wheel(-120, Qt::ControlModifier);
        QCOMPARE(DM->View.zoom, 125);
        window_->resize(300, 300);
        QCoreApplication::processEvents();
        wheel(-120, Qt::NoModifier);
        QCOMPARE(DM->View.zoom, 125);
        QVERIFY(chart.verticalScrollBar()->value() > 0);
    }

    // A new scheme shows its top-left corner, however the one before was scrolled.
    void newSchemeFromItsTopLeftCorner()
    {
        SchemeGrid& chart = *window_->ChartGrid;
        window_->resize(300, 300);
        QCoreApplication::processEvents();
        chart.SetCurrent(40, 30);
        QVERIFY(chart.horizontalScrollBar()->value() > 0 && chart.verticalScrollBar()->value() > 0);
        SchemeRequest request;
        request.width = 50;
        request.height = 50;
        request.colorCount = 4;
        request.symbols = DefaultSymbolTexts(request.colorCount);
        window_->BuildScheme(request);
        QCOMPARE(chart.horizontalScrollBar()->value(), 0);
        QCOMPARE(chart.verticalScrollBar()->value(), 0);
        QCOMPARE(chart.LeftCol(), 1);
        QCOMPARE(chart.TopRow(), 1);
    }

    // The cloth dialog offers the usual cloths and any count from 6 to 40.
    void clothDialog()
    {
        FabricDialog dialog(14);
        QCOMPARE(dialog.cb_Cloth->currentText(), QStringLiteral("Аида 14"));
        dialog.cb_Cloth->setCurrentIndex(dialog.cb_Cloth->findText(QStringLiteral("Равномерная 32, через две нити (16)")));
        emit dialog.cb_Cloth->activated(dialog.cb_Cloth->currentIndex());
        QCOMPARE(dialog.Count(), 16);
        dialog.ed_Count->setValue(22);
        QCOMPARE(dialog.cb_Cloth->currentText(), QStringLiteral("Другая"));
        dialog.ed_Count->setValue(99);
        QCOMPARE(dialog.Count(), 40);
        QCOMPARE(FabricDialog(3).Count(), 6);
    }

    // The cloth chosen in "Ткань…" is the setting a new scheme takes; an opened scheme shows its
    // own cloth and leaves that setting alone.
    void newSchemeTakesTheChosenCloth()
    {
        auto* answer = new QTimer(this);
        connect(answer, &QTimer::timeout, this, [answer] {
            auto* dialog = qobject_cast<FabricDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            answer->deleteLater();
            answer->stop();
            dialog->ed_Count->setValue(18);
            dialog->accept();
        });
        answer->start(10);
        DM->ac_ViewFabric->trigger();
        QCOMPARE(DM->Session->Scheme.fabricCount, 18);

        DM->Session->OpenScheme(std::filesystem::path(VELMORA_TEST_DATA_DIR) / "schemes" / "rose-14x10.velmora");
        QCOMPARE(DM->Session->Scheme.fabricCount, 14);
        QVERIFY(window_->lb_FinishedSize->text().startsWith(QStringLiteral("Ткань 14:")));
        DM->ac_ViewSkeins->trigger();
        QCOMPARE(window_->LegendGrid->cellTable(), LegendWithSkeins(DM->Session->Scheme.legend, true, 14));
        QCOMPARE(DM->View.look.fabricCount, 18);

        window_->BuildScheme({20, 20, 4, DefaultSymbolTexts(4), false});
        QCOMPARE(DM->Session->Scheme.fabricCount, 18);
        QVERIFY(window_->lb_FinishedSize->text().startsWith(QStringLiteral("Ткань 18:")));
        QCOMPARE(window_->LegendGrid->cellTable(), LegendWithSkeins(DM->Session->Scheme.legend, true, 18));
    }

    // What the user chose comes back at the next start: the look, the cloth, the zoom, the
    // window's size and position.
    void keptInTheSettings()
    {
        DM->ac_ViewColorCells->trigger();
        DM->View.look.fabricCount = 18;
        DM->ZoomBy(2);
        window_->resize(700, 520);
        prompter_.answer = true;
        QVERIFY(window_->close());
        CloseWindow();

        OpenWindow();
        QVERIFY(DM->View.look.colorCells && !DM->View.look.tenLines);
        QVERIFY(DM->ac_ViewColorCells->isChecked());
        QCOMPARE(DM->View.look.fabricCount, 18);
        QCOMPARE(DM->View.zoom, 150);
        QCOMPARE(window_->ChartGrid->Zoom(), 150);
        QCOMPARE(window_->size(), QSize(700, 520));
    }

private:
    void SaveScreenshot(const QString& name) { test::SaveScreenshot(*window_, name); }

    MemorySettingsRegistry registry_;
};

QTEST_MAIN(ChartLookTest)
#include "chart_look_test.moc"
