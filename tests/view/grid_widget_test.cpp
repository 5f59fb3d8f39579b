// The chart and legend grids as the main window shows them, painted offscreen and read back
// pixel by pixel. The checks compare pixels only where they prove a rule: colours of fills and
// lines, where the ink of a text lies, and how big it is; never whole screenshots.
#include "scheme/scheme_builder.h"
#include "view/qt/scheme_grid.h"
#include "view/qt/scheme_view_handlers.h"
#include "view/paint/qt_bridge.h"
#include "view/paint/symbol_glyphs.h"
#include "view/chart_look.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <optional>

using namespace velmora;

namespace {

const QColor kBase(255, 250, 205);   // the window colour, not white, so white shows as its own
const QColor kButton(200, 220, 240); // the button face
const QColor kText(0, 0, 0);
const Color kRed = MakeColor(220, 20, 20);
const Color kBlue = MakeColor(20, 20, 200);

QPalette TestPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Base, kBase);
    palette.setColor(QPalette::Window, kBase);
    palette.setColor(QPalette::Button, kButton);
    palette.setColor(QPalette::Text, kText);
    palette.setColor(QPalette::WindowText, kText);
    return palette;
}

// 12 × 10 stitches: a white left third, a red middle and a blue right third; three colours.
SchemeDocument ThreeColourScheme(bool withWhite = true)
{
    Bitmap source(12, 10, kWhite);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            source.setPixel(x, y, x < 4 ? (withWhite ? kWhite : MakeColor(230, 230, 120)) : x < 8 ? kRed : kBlue);
    SchemeRequest request{.width = 12, .height = 10, .colorCount = 3, .symbols = {"n", "n", "n"}, .dithering = false};
    SchemeEngine engine;
    return engine.BuildScheme(source, request);
}

struct Ink {
    int count = 0;
    QRect box; // bounding box of the ink
    double cx = 0, cy = 0;
};

// Pixels of `rect` in `image` whose colour lies far from `background`.
Ink InkIn(const QImage& image, const QRect& rect, const QColor& background)
{
    Ink ink;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                          std::abs(c.blue() - background.blue());
            if (d < 120)
                continue;
            ++ink.count;
            ink.box = ink.box.isNull() ? QRect(x, y, 1, 1) : ink.box.united(QRect(x, y, 1, 1));
            ink.cx += x;
            ink.cy += y;
        }
    }
    if (ink.count > 0) {
        ink.cx /= ink.count;
        ink.cy /= ink.count;
    }
    return ink;
}

// Every pixel of `rect` is `colour`, give or take `tolerance` per channel.
bool AllPixels(const QImage& image, const QRect& rect, const QColor& colour, int tolerance = 0)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (const QColor c = image.pixelColor(x, y); std::abs(c.red() - colour.red()) > tolerance ||
                                                          std::abs(c.green() - colour.green()) > tolerance ||
                                                          std::abs(c.blue() - colour.blue()) > tolerance) {
                qWarning("pixel %d,%d is %s, not %s", x, y, qPrintable(image.pixelColor(x, y).name()),
                         qPrintable(colour.name()));
                return false;
            }
    return true;
}

QImage Paint(SchemeGrid& grid)
{
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    grid.PaintCells(painter, grid.viewport()->rect());
    return image;
}

QString Describe(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class GridWidgetTest : public QObject {
    Q_OBJECT

    std::optional<SchemeGrid> chart;
    std::optional<SchemeGrid> legend;
    GridFont symbolFont = DefaultSymbolFont();

private slots:
    void init()
    {
        chart.emplace();
        legend.emplace();
        for (SchemeGrid* grid : {&*chart, &*legend}) {
            grid->setPalette(TestPalette());
            grid->resize(400, 300);
        }
        symbolFont = DefaultSymbolFont();
        SetUpChartGrid(*chart);
        SetUpLegendGrid(*legend, [this] { return symbolFont; });
    }
    void cleanup()
    {
        chart.reset();
        legend.reset();
    }

    void chartDataCellsAreWhiteWithTheSymbolCentred();
    void aLargeSymbolIsCentredAndClipped();
    void fixedCellsHaveTheButtonFaceAndGreyLines();
    void columnNumbersAreTurnedAndReadUpward();
    void turnedTextReadsUpward();
    void legendSwatchShowsTheThreadColourAndNoText();
    void legendSymbolsAre12PointInTheSymbolFont();
    void legendWithoutWhiteHasAnEmptyFirstRow();
    void lastRowsAreEmpty();
    void onlyCellsInViewArePainted();
    void fixedRowAndColumnStayInViewWhenScrolled();
    void keysMoveTheCurrentCellAndScroll();
    void mouseClicksMoveTheCurrentCellButNotOntoFixedCells();
    void designBeforeTheFirstBuild();
    void theFocusRectangleMarksTheCurrentCell();
    void backstitchIsDrawnOverTheSymbolsAtEveryZoom();
};

void GridWidgetTest::chartDataCellsAreWhiteWithTheSymbolCentred()
{
    const SchemeDocument doc = ThreeColourScheme();
    chart->setCellTable(doc.chart);
    const QImage image = Paint(*chart);
    const QColor silver(192, 192, 192);

    int symbolCells = 0;
    for (int r = 1; r <= 10; ++r) {
        for (int c = 1; c <= 12; ++c) {
            const QRect cell = chart->CellRect(c, r);
            const QRect inner = cell.adjusted(1, 1, -1, -1);
            QVERIFY2(cell.width() == 12 && cell.height() == 12, qPrintable(Describe(cell)));
            // The grid's fill in the window colour shows only as a one-pixel frame.
            QCOMPARE(image.pixelColor(cell.topLeft()), kBase);
            // The cell's own lines: silver along the right and bottom edge.
            QCOMPARE(image.pixelColor(cell.right(), cell.top() + 5), silver);
            QCOMPARE(image.pixelColor(cell.left() + 5, cell.bottom()), silver);
            const Ink ink = InkIn(image, inner, Qt::white);
            if (doc.chart.text(c, r).empty()) {
                QVERIFY2(AllPixels(image, inner, Qt::white), "a White stitch is plain white");
                continue;
            }
            ++symbolCells;
            QVERIFY2(ink.count >= 9, qPrintable(QStringLiteral("cell %1,%2 shows its symbol").arg(c).arg(r)));
            // The square symbol is centred: its ink's centre is the cell's centre.
            const double centreX = inner.left() + (inner.width() - 1) / 2.0;
            const double centreY = inner.top() + (inner.height() - 1) / 2.0;
            QVERIFY2(std::abs(ink.cx - centreX) <= 1.0 && std::abs(ink.cy - centreY) <= 1.5,
                     qPrintable(QStringLiteral("ink centre %1,%2 against %3,%4")
                                    .arg(ink.cx).arg(ink.cy).arg(centreX).arg(centreY)));
            // Corners stay white: the grid's own left-aligned text was painted over.
            QCOMPARE(image.pixelColor(inner.topLeft()), QColor(Qt::white));
            QCOMPARE(image.pixelColor(inner.bottomRight()), QColor(Qt::white));
        }
    }
    QCOMPARE(symbolCells, 80);
}

void GridWidgetTest::aLargeSymbolIsCentredAndClipped()
{
    chart->setCellTable(ThreeColourScheme().chart);
    GridFont big = DefaultSymbolFont();
    big.size = 20;
    CopySymbolFontToChart(*chart, big);
    QCOMPARE(chart->model().ColWidth(5), 12);
    const QImage image = Paint(*chart);
    const QRect cell = chart->CellRect(6, 3); // red: a 20 pt black square fills the cell
    const QRect inner = cell.adjusted(1, 1, -1, -1);
    const Ink ink = InkIn(image, inner, Qt::white);
    QCOMPARE(ink.box, inner);
    // Nothing leaks onto the lines or the frame.
    QCOMPARE(image.pixelColor(cell.right(), cell.top() + 5), QColor(192, 192, 192));
    QCOMPARE(image.pixelColor(cell.topLeft()), kBase);

    // The legend keeps its symbols at 12 pt whatever size the chart takes.
    symbolFont = big;
    legend->setCellTable(ThreeColourScheme().legend);
    const QImage small = Paint(*legend);
    const Ink legendInk = InkIn(small, legend->CellRect(1, 2).adjusted(1, 1, -1, -1), kBase);
    QVERIFY2(legendInk.box.height() < 16, qPrintable(Describe(legendInk.box)));
}

void GridWidgetTest::fixedCellsHaveTheButtonFaceAndGreyLines()
{
    chart->setCellTable(ThreeColourScheme().chart);
    const QImage image = Paint(*chart);
    const QColor grey(128, 128, 128);
    const QRect corner = chart->CellRect(0, 0);
    QCOMPARE(corner, QRect(0, 0, 24, 24));
    QVERIFY(AllPixels(image, corner.adjusted(0, 0, -1, -1), kButton));
    QCOMPARE(image.pixelColor(corner.right(), 10), grey);
    QCOMPARE(image.pixelColor(10, corner.bottom()), grey);
    // Header cells: button face around the text, grey lines.
    for (const QRect& r : {chart->CellRect(3, 0), chart->CellRect(0, 3), chart->CellRect(0, 11)}) {
        QCOMPARE(image.pixelColor(r.topLeft()), kButton);
        QCOMPARE(image.pixelColor(r.right(), r.top() + r.height() / 2), grey);
        QCOMPARE(image.pixelColor(r.left() + r.width() / 2, r.bottom()), grey);
    }
    // The row number is Arial 8 pixels at the left, resting on the bottom of its cell.
    const QRect row3 = chart->CellRect(0, 3);
    const Ink number = InkIn(image, row3.adjusted(0, 0, -1, -1), kButton);
    QVERIFY(number.count > 0);
    QVERIFY2(number.box.left() >= row3.left() + 3 && number.box.left() <= row3.left() + 5, qPrintable(Describe(number.box)));
    QVERIFY2(number.box.height() <= 7, "8-pixel font");
    QVERIFY2(number.box.bottom() >= row3.bottom() - 3, qPrintable(Describe(number.box)));
    // The legend's headers and numbers are fixed cells too.
    legend->setCellTable(ThreeColourScheme().legend);
    const QImage legendImage = Paint(*legend);
    for (int c = 0; c < 5; ++c)
        QCOMPARE(legendImage.pixelColor(legend->CellRect(c, 0).topLeft()), kButton);
    QCOMPARE(legendImage.pixelColor(legend->CellRect(0, 2).topLeft()), kButton);
}

void GridWidgetTest::columnNumbersAreTurnedAndReadUpward()
{
    chart->setCellTable(ThreeColourScheme().chart);
    QCOMPARE(chart->model().CellAngle(10, 0), 90);
    const QImage image = Paint(*chart);
    const QRect cell = chart->CellRect(10, 0); // " 10"
    const QRect box = cell.adjusted(2, 2, -2, -2);
    const Ink ink = InkIn(image, cell.adjusted(0, 0, -1, -1), kButton);
    QVERIFY(ink.count > 0);
    // Turned: taller than wide, starting at the left edge of the shrunk rectangle, in its lower
    // part, and clipped to it.
    QVERIFY2(ink.box.height() > ink.box.width(), qPrintable(Describe(ink.box)));
    QVERIFY2(box.contains(ink.box), qPrintable(Describe(ink.box) + " in " + Describe(box)));
    QVERIFY2(ink.box.left() <= box.left() + 2, qPrintable(Describe(ink.box)));
    QVERIFY2(ink.cy > box.center().y(), "the number begins at the bottom");
    // The leading blank keeps the digits off the bottom.
    QVERIFY2(ink.box.bottom() <= box.bottom() - 1, qPrintable(Describe(ink.box)));
}

void GridWidgetTest::turnedTextReadsUpward()
{
    // "W....." has its weight at the start and dots on the baseline: turned counter-clockwise the W
    // lies below the dots and the baseline runs along the right.
    SchemeGrid& grid = *legend;
    grid.model().SetColWidth(3, 40);
    grid.model().SetRowHeight(2, 60);
    grid.model().SetRowHeight(3, 60);
    grid.model().VAlignment = VerticalAlignment::Bottom;
    grid.Refresh();
    CellTable cells = grid.cellTable();
    cells.setRotatedText(3, 2, "W.....");
    grid.setCellTable(std::move(cells));
    const QImage image = Paint(grid);
    const QRect up = grid.CellRect(3, 2).adjusted(2, 2, -2, -2);
    const Ink upInk = InkIn(image, up, kBase);
    QVERIFY(upInk.box.height() > upInk.box.width());
    // The weight of the W pulls the ink's centre toward where the text begins.
    const auto middle = [](const Ink& ink) { return ink.box.top() + (ink.box.height() - 1) / 2.0; };
    QVERIFY2(upInk.cy > middle(upInk) + 2, "reading upward, the text begins at the bottom");
    // Left aligned, bottom: the upward text starts at the bottom-left corner.
    QVERIFY(upInk.box.left() <= up.left() + 4); // the gap above the capitals
    QVERIFY(upInk.box.bottom() >= up.bottom() - 2);
}

void GridWidgetTest::legendSwatchShowsTheThreadColourAndNoText()
{
    const SchemeDocument doc = ThreeColourScheme();
    legend->setCellTable(doc.legend);
    const QImage image = Paint(*legend);
    int swatches = 0;
    for (int r = 1; r < legend->RowCount() - 1; ++r) {
        const std::string text = doc.legend.text(2, r);
        QVERIFY(!text.empty());
        const auto value = static_cast<Color>(std::stoul(text));
        const QColor thread(Red(value), Green(value), Blue(value));
        const QRect cell = legend->CellRect(2, r);
        // Text in the swatch's own colour blends to within a unit of it: nothing visible.
        QVERIFY2(AllPixels(image, cell.adjusted(0, 0, -2, -2), thread, 1),
                 qPrintable(QStringLiteral("row %1 is a plain swatch of %2").arg(r).arg(thread.name())));
        QCOMPARE(image.pixelColor(cell.right(), cell.top() + 3), QColor(192, 192, 192));
        ++swatches;
    }
    QCOMPARE(swatches, 3);
    // The header keeps the fixed look.
    QVERIFY(InkIn(image, legend->CellRect(2, 0).adjusted(0, 0, -1, -1), kButton).count > 0);
}

void GridWidgetTest::legendSymbolsAre12PointInTheSymbolFont()
{
    const SchemeDocument doc = ThreeColourScheme();
    legend->setCellTable(doc.legend);
    QImage image = Paint(*legend);
    const QRect cell = legend->CellRect(1, 2);
    const Ink ink = InkIn(image, cell.adjusted(1, 1, -1, -1), kBase);
    // The same symbol drawn directly in the symbol font at 12 pt (16 pixels).
    GridFont twelve = symbolFont;
    twelve.size = 12;
    const GlyphRun run = ShapeText(twelve, "n");
    QImage reference(64, 64, QImage::Format_RGB32);
    reference.fill(kBase);
    {
        QPainter painter(&reference);
        painter.setFont(run.font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(8, 40), run.text);
    }
    const Ink expected = InkIn(reference, reference.rect(), kBase);
    QVERIFY(expected.count > 0);
    QCOMPARE(ink.box.size(), expected.box.size());
    // At the left (behind the 1 + 2 pixel inset), vertically centred.
    QVERIFY2(ink.box.left() - cell.left() >= 3 && ink.box.left() - cell.left() <= 5, qPrintable(Describe(ink.box)));
    QVERIFY2(std::abs(ink.cy - (cell.top() + cell.height() / 2.0)) <= 2.5, qPrintable(Describe(ink.box)));

    // A font change shows at the next painting, still at 12 pt.
    symbolFont.name = "DejaVu Sans";
    symbolFont.charset = kRussianCharset;
    symbolFont.size = 30;
    legend->viewport()->update();
    image = Paint(*legend);
    const Ink dejavu = InkIn(image, cell.adjusted(1, 1, -1, -1), kBase);
    GridFont plain = symbolFont;
    plain.size = 12;
    const QFontMetrics metrics(ToQFont(plain));
    QCOMPARE(dejavu.box.width(), metrics.boundingRect(QStringLiteral("n")).width());
}

void GridWidgetTest::legendWithoutWhiteHasAnEmptyFirstRow()
{
    const SchemeDocument doc = ThreeColourScheme(false);
    legend->setCellTable(doc.legend);
    const QImage image = Paint(*legend);
    const QRect number = legend->CellRect(0, 1);
    QVERIFY(AllPixels(image, number.adjusted(0, 0, -2, -2), kButton));
    for (int c = 1; c < 5; ++c)
        QVERIFY2(AllPixels(image, legend->CellRect(c, 1).adjusted(0, 0, -2, -2), kBase),
                 qPrintable(QStringLiteral("column %1").arg(c)));
    // The next row has all five.
    for (int c = 0; c < 5; ++c)
        QVERIFY(!doc.legend.text(c, 2).empty());
}

void GridWidgetTest::lastRowsAreEmpty()
{
    const SchemeDocument doc = ThreeColourScheme();
    chart->setCellTable(doc.chart);
    legend->setCellTable(doc.legend);
    const QImage chartImage = Paint(*chart);
    const QImage legendImage = Paint(*legend);
    const int chartLast = chart->RowCount() - 1;
    QVERIFY(AllPixels(chartImage, chart->CellRect(0, chartLast).adjusted(0, 0, -2, -2), kButton));
    for (int c = 1; c < chart->ColCount(); ++c)
        QVERIFY(AllPixels(chartImage, chart->CellRect(c, chartLast).adjusted(1, 1, -2, -2), Qt::white));
    const int legendLast = legend->RowCount() - 1;
    for (int c = 1; c < 5; ++c)
        QVERIFY(AllPixels(legendImage, legend->CellRect(c, legendLast).adjusted(0, 0, -2, -2), kBase));
}

void GridWidgetTest::onlyCellsInViewArePainted()
{
    CellTable big;
    big.setColumns(1001);
    big.setRows(1002);
    for (int r = 1; r < 1001; ++r)
        for (int c = 1; c < 1001; ++c)
            big.setText(c, r, "n");
    chart->setCellTable(std::move(big));
    int painted = 0;
    chart->OnDrawCell = [&](SchemeGrid& sender, int col, int row, const QRect& rect, CellDrawState state,
                            GridCanvas& canvas) {
        ++painted;
        DrawChartCell(sender, col, row, rect, state, canvas);
    };
    const QSize view = chart->viewport()->size();
    Paint(*chart);
    const int fits = (view.width() / 12 + 3) * (view.height() / 12 + 3);
    QVERIFY2(painted > 0 && painted <= fits, qPrintable(QString::number(painted)));

    // An exposed strip repaints only its cells.
    painted = 0;
    QImage image(view, QImage::Format_RGB32);
    QPainter painter(&image);
    chart->PaintCells(painter, QRect(100, 100, 12, 12));
    QVERIFY2(painted >= 1 && painted <= 4, qPrintable(QString::number(painted)));
}

void GridWidgetTest::fixedRowAndColumnStayInViewWhenScrolled()
{
    CellTable big;
    big.setColumns(201);
    big.setRows(202);
    for (int c = 1; c < 201; ++c)
        big.setRotatedText(c, 0, std::string(1, ' ').append(std::to_string(c)));
    for (int r = 1; r < 201; ++r)
        big.setText(0, r, std::to_string(r));
    chart->setCellTable(std::move(big));
    chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*chart));
    chart->horizontalScrollBar()->setValue(12 * 50);
    chart->verticalScrollBar()->setValue(12 * 80);
    QCOMPARE(chart->LeftCol(), 51);
    QCOMPARE(chart->TopRow(), 81);
    QCOMPARE(chart->CellRect(51, 0).left(), 24);
    QCOMPARE(chart->CellRect(0, 81).top(), 24);
    const QImage image = Paint(*chart);
    QVERIFY(AllPixels(image, QRect(0, 0, 23, 23), kButton));
    // The headers in view carry the numbers of the scrolled columns and rows.
    QVERIFY(InkIn(image, chart->CellRect(51, 0).adjusted(0, 0, -1, -1), kButton).count > 0);
    QVERIFY(InkIn(image, chart->CellRect(0, 81).adjusted(0, 0, -1, -1), kButton).count > 0);
    // The scrolled-away cells do not paint over the fixed ones: the first normal cell in view
    // starts right after them.
    QCOMPARE(image.pixelColor(24, 24), kBase);
    QCOMPARE(chart->CellAt(QPoint(30, 30)), QPoint(51, 81));
    QCOMPARE(chart->CellAt(QPoint(10, 30)), QPoint(0, 81));
}

void GridWidgetTest::keysMoveTheCurrentCellAndScroll()
{
    CellTable big;
    big.setColumns(101);
    big.setRows(102);
    chart->setCellTable(std::move(big));
    chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*chart));
    chart->setFocus();
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(1, 1));
    QTest::keyClick(&*chart, Qt::Key_Up);
    QTest::keyClick(&*chart, Qt::Key_Left);
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(1, 1));
    QTest::keyClick(&*chart, Qt::Key_Right);
    QTest::keyClick(&*chart, Qt::Key_Down);
    QTest::keyClick(&*chart, Qt::Key_Down);
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(2, 3));
    const int pageRows = (chart->viewport()->height() - 24) / 12;
    QTest::keyClick(&*chart, Qt::Key_PageDown);
    QCOMPARE(chart->Row(), 3 + pageRows);
    QTest::keyClick(&*chart, Qt::Key_PageUp);
    QCOMPARE(chart->Row(), 3);
    QTest::keyClick(&*chart, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(100, 101));
    // The current cell was scrolled into view.
    const QRect current = chart->CellRect(100, 101);
    QVERIFY2(chart->viewport()->rect().contains(current), qPrintable(Describe(current)));
    QVERIFY(chart->verticalScrollBar()->value() > 0);
    QTest::keyClick(&*chart, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(1, 1));
    QCOMPARE(chart->verticalScrollBar()->value(), 0);

    // The wheel scrolls without moving the current cell.
    QWheelEvent wheel(QPointF(100, 100), chart->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart->viewport(), &wheel);
    QVERIFY(chart->verticalScrollBar()->value() > 0);
    QCOMPARE(chart->Row(), 1);
}

void GridWidgetTest::mouseClicksMoveTheCurrentCellButNotOntoFixedCells()
{
    chart->setCellTable(ThreeColourScheme().chart);
    chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*chart));
    const QRect target = chart->CellRect(7, 5);
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, target.center());
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(7, 5));
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->CellRect(0, 3).center());
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->CellRect(3, 0).center());
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(7, 5));
    // Beyond the last column nothing happens either.
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, QPoint(chart->viewport()->width() - 2, 30));
    QCOMPARE(QPoint(chart->Col(), chart->Row()), QPoint(7, 5));
}

void GridWidgetTest::designBeforeTheFirstBuild()
{
    QCOMPARE(chart->ColCount(), 5);
    QCOMPARE(chart->RowCount(), 6);
    QCOMPARE(chart->Cells(4, 0), std::string("4"));
    QCOMPARE(chart->Cells(0, 4), std::string("4"));
    QVERIFY(!chart->model().IsRotated(4, 0));
    QCOMPARE(legend->Cells(4, 0), std::string(kLegendHeaders[4]));
    QCOMPARE(legend->model().ColWidth(4), 72);
    QCOMPARE(legend->model().RowHeight(5), 20);
    QCOMPARE(chart->model().FixedFont.PixelHeight(), 8);
    QCOMPARE(chart->Font().PixelHeight(), 8);
    QCOMPARE(legend->Font().PixelHeight(), 13);
}

void GridWidgetTest::theFocusRectangleMarksTheCurrentCell()
{
    chart->setCellTable(ThreeColourScheme().chart);
    chart->SetCurrent(6, 4);
    const QImage unfocused = Paint(*chart);
    chart->show();
    chart->activateWindow();
    chart->setFocus();
    QTRY_VERIFY(chart->hasFocus());
    const QImage focused = Paint(*chart);
    // Only the current cell changes, and over what the chart's handler painted.
    const QRect current = chart->CellRect(6, 4);
    int changed = 0;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) == unfocused.pixel(x, y))
                continue;
            QVERIFY2(current.contains(x, y), qPrintable(QStringLiteral("pixel %1,%2 changed").arg(x).arg(y)));
            ++changed;
        }
    }
    QVERIFY(changed > 0);
}

// A white line along a row of corners and a black one across the cells' centres: each in its
// thread's colour with an outline in the other ink, over the symbols, as wide as the zoom's rule
// says; an exposed part repaints the lines as the whole painting has them.
void GridWidgetTest::backstitchIsDrawnOverTheSymbolsAtEveryZoom()
{
    const SchemeDocument scheme = ThreeColourScheme();
    chart->setCellTable(scheme.chart);
    const int white = FindDmc("White"), black = FindDmc("310");
    const std::vector<Backstitch> lines = {{white, 0, 5, 12, 5}, {black, 4, 0, 8, 4}};
    chart->model().OverLines = BackstitchOverLines(lines);
    chart->resize(700, 600);
    const QColor threadWhite = ToPaperQColor(DMCTable[white].Color), threadBlack = ToPaperQColor(DMCTable[black].Color);
    for (const int zoom : {100, 400}) {
        chart->SetZoom(zoom);
        const QImage image = Paint(*chart);
        const OverLineWidths widths = OverLineWidthsFor(Zoomed(12, zoom));
        const double edge = (widths.outline - widths.line) / 2.0;
        const double shift = widths.line % 2 == 1 ? 0.5 : 0.0;
        // The white line along the top of row 6, across the red stitches of column 7.
        const double y = chart->CellRect(7, 6).top() - shift;
        const int x = chart->CellRect(7, 6).center().x();
        QCOMPARE(image.pixelColor(x, static_cast<int>(y)), threadWhite);
        QCOMPARE(image.pixelColor(x, static_cast<int>(y + widths.line / 2.0 + edge / 2.0)), QColor(Qt::black));
        QCOMPARE(image.pixelColor(x, static_cast<int>(std::floor(y - widths.line / 2.0 - edge / 2.0))), QColor(Qt::black));
        // The black line through the centre of stitch (5, 1), over its black symbol: the thread's
        // colour in the middle, the white outline beside it across the symbol.
        const QPoint centre = chart->CellRect(6, 2).center();
        // A slanted line is smoothed: its pixels come near the colours, not onto them.
        QVERIFY(AllPixels(image, QRect(centre, QSize(1, 1)), threadBlack, 40));
        const int off = static_cast<int>(std::lround((widths.line / 2.0 + edge / 2.0) / std::sqrt(2.0)));
        QVERIFY(AllPixels(image, QRect(centre + QPoint(off, -off), QSize(1, 1)), Qt::white, 40));
        QVERIFY(AllPixels(image, QRect(centre + QPoint(-off, off), QSize(1, 1)), Qt::white, 40));
        // Nothing over the fixed row and column.
        QVERIFY(AllPixels(image, QRect(0, 0, chart->CellRect(1, 1).left() - 1, 23), kButton));

        const QRect exposed(chart->CellRect(5, 1).left() + 3, chart->CellRect(5, 1).top() + 5, 37, 29);
        QImage part(image.size(), QImage::Format_RGB32);
        part.fill(Qt::magenta);
        QPainter painter(&part);
        chart->PaintCells(painter, exposed);
        painter.end();
        for (int py = 0; py < part.height(); ++py)
            for (int px = 0; px < part.width(); ++px)
                QVERIFY2(part.pixel(px, py) == (exposed.contains(px, py) ? image.pixel(px, py) : QColor(Qt::magenta).rgb()),
                         qPrintable(QStringLiteral("zoom %1, pixel %2,%3").arg(zoom).arg(px).arg(py)));
    }
}

QTEST_MAIN(GridWidgetTest)
#include "grid_widget_test.moc"
