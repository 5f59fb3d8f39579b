// Printing through Qt: PDF files of the chart and the legend read back with poppler's tools, and
// the default-printer path without a printer.
#include "view/chart_look.h"
#include "view/print_layout.h"
#include "view/qt/scheme_grid.h"
#include "view/paint/qt_print_canvas.h"
#include "view/qt/grid_printer.h"
#include "view/qt/scheme_view_handlers.h"
#include "tests/run_program.h"
#include "tests/view/cell_by_cell_sink.h"
#include "tests/view/chart_cells.h"

#include "scheme/cp1251.h"
#include "scheme/dmc_inc.h"

#include <QDir>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <string>

using namespace velmora;

namespace {

int PdfPages(const QString& path)
{
    const QString info = RunProgram(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

PrintJobSetup FixedClock()
{
    PrintJobSetup setup = SystemPrintSetup();
    setup.clock = [] { return PrintDateTime{2024, 12, 8, 14, 5, 0}; };
    setup.locale = {".", ":"};
    return setup;
}

void FillChart(GridModel& model, int width, int height)
{
    model.setCellTable(
        ChartCells(width, height, [](int c, int r) { return std::string(1, static_cast<char>(0x6C + (c + r) % 4)); }));
}

// The pages of a PDF as pictures, without anti-aliasing so that equal geometry gives equal pixels.
QList<QImage> RenderPages(const QString& pdf, const QString& folder)
{
    const QString prefix = folder + QStringLiteral("/page");
    QList<QImage> pages;
    RunProgram(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-aa"), QStringLiteral("no"),
                                     QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"), pdf, prefix});
    QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
        pages.append(QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

int DifferentPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            count += p[x] != q[x] ? 1 : 0;
    }
    return count;
}

} // namespace

class QtPrintCanvasTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler-utils are not installed");
    }

    void chartPdfHasEveryStripAndItsNumbers()
    {
        QTemporaryDir dir;
        SchemeGrid grid;
        SetUpChartGrid(grid);
        FillChart(grid.model(), 100, 100);
        const QString path = dir.filePath(QStringLiteral("chart.pdf"));
        const int pages = PrintGridToPdf(grid.model(), path.toStdString(), FixedClock());
        // A4 landscape less 5 mm margins takes 63 stitch columns a strip: two strips.
        QVERIFY(pages >= 4);
        QCOMPARE(pages % 2, 0);
        QCOMPARE(PdfPages(path), pages);
        const QString text = RunProgram(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY(text.contains(QLatin1String("08.12.2024 14:05")));
        QVERIFY(text.contains(QLatin1String("1-1")));
        QVERIFY(text.contains(QLatin1String("2-2")));
        QVERIFY(text.contains(QLatin1String("64")));
        QVERIFY(text.contains(QLatin1String("100")));
        // The symbols stay characters: Wingdings 0x6C and 0x6E as their Unicode equivalents.
        QVERIFY(text.contains(QChar(0x26AB)));
        QVERIFY(text.contains(QChar(0x25FC)));
    }

    void legendPdfIsOnePageWithItsTitle()
    {
        QTemporaryDir dir;
        SchemeGrid grid;
        SetUpLegendGrid(grid, nullptr);
        GridModel& model = grid.model();
        model.SetRowCount(32);
        for (int r = 1; r <= 30; ++r) {
            model.SetCell(0, r, std::to_string(r));
            model.SetCell(1, r, "l");
            model.SetCell(2, r, "");
            model.SetCell(3, r, "DMC " + std::to_string(300 + r));
            model.SetCell(4, r, std::to_string(7 * r));
        }
        const QString path = dir.filePath(QStringLiteral("legend.pdf"));
        QCOMPARE(PrintGridToPdf(model, path.toStdString(), FixedClock()), 1);
        QCOMPARE(PdfPages(path), 1);
        const QString text = RunProgram(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY(text.contains(QString::fromUtf8("Расшифровка сиволов")));
        QVERIFY(text.contains(QLatin1String("DMC 330")));
        QVERIFY(!text.contains(QLatin1String("2024")));
    }

    // The pages as drawn a page at a time, lines and fills joined and symbols in runs, against the
    // same pages drawn cell after cell: the same pixels and the same text.
    void joinedPagesLookLikeCellByCellPages_data()
    {
        QTest::addColumn<int>("symbolPixels");
        QTest::newRow("chart font") << 8;
        QTest::newRow("symbols taller than their cells") << 30;
    }

    void joinedPagesLookLikeCellByCellPages()
    {
        QFETCH(int, symbolPixels);
        QTemporaryDir dir;
        SchemeGrid grid;
        SetUpChartGrid(grid);
        FillChart(grid.model(), 70, 60); // two strips of two pages
        grid.model().Font.size = GridFont::SizeForPixelHeight(symbolPixels);
        grid.model().SetCell(3, 3, "");

        QString texts[2];
        QList<QImage> pages[2];
        for (int i = 0; i < 2; ++i) {
            PrintJobSetup setup = FixedClock();
            if (i == 1)
                PrintCellByCell(setup);
            const QString path = dir.filePath(QStringLiteral("chart%1.pdf").arg(i));
            QCOMPARE(PrintGridToPdf(grid.model(), path.toStdString(), setup), 4);
            texts[i] = RunProgram(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
            const QString folder = dir.filePath(QStringLiteral("pages%1").arg(i));
            QVERIFY(QDir().mkpath(folder));
            pages[i] = RenderPages(path, folder);
        }
        QVERIFY(!texts[0].isEmpty());
        QCOMPARE(texts[0], texts[1]);
        QCOMPARE(pages[0].size(), 4);
        QCOMPARE(pages[1].size(), 4);
        for (int p = 0; p < 4; ++p)
            QCOMPARE(DifferentPixels(pages[0][p], pages[1][p]), 0);
    }

    // A chart with its ten-stitch lines and coloured cells as the PDF shows it: every cell in its
    // thread's colour, black across the page after stitches 10 and 20 and not after 9 or 19.
    void chartLookOnThePrintedPage()
    {
        QTemporaryDir dir;
        SchemeGrid grid;
        SetUpChartGrid(grid);
        FillChart(grid.model(), 25, 25); // symbols 0x6C..0x6F by (c + r) % 4
        CellTable legend;
        legend.setColumns(5);
        legend.setRows(6);
        const ColorValue colours[] = {0x3050E0, 0xF0E0C0, 0x206020, 0xC0C0FF};
        for (int i = 0; i < 4; ++i) {
            legend.setText(1, i + 1, std::string(1, static_cast<char>(0x6C + i)));
            legend.setText(2, i + 1, std::to_string(colours[i]));
        }
        ApplyChartLook(grid, {true, true, false, 14}, legend);
        const QString path = dir.filePath(QStringLiteral("chart.pdf"));
        QCOMPARE(PrintGridToPdf(grid.model(), path.toStdString(), FixedClock()), 1);
        const QList<QImage> pages = RenderPages(path, dir.path());
        QCOMPARE(pages.size(), 1);
        const QImage& page = pages.front();
        // Tenths of a millimetre on the printable area (5 mm in from the sheet's edge) at 100 dpi.
        const auto px = [](int tenths) { return (50 + tenths) * 100 / 254; };
        const auto stitchLeft = [](int c) { return 173 + 41 * (c - 1); };
        const auto rowTop = [](int r) { return 167 + 31 * (r - 1); };
        for (const auto& [c, r] : {std::pair{1, 1}, std::pair{7, 12}, std::pair{25, 25}}) {
            const ColorValue want = colours[(c + r) % 4];
            const QRgb got = page.pixel(px(stitchLeft(c) + 6), px(rowTop(r) + 6));
            QCOMPARE(static_cast<ColorValue>(qRed(got) | qGreen(got) << 8 | qBlue(got) << 16), want);
        }
        const auto darkColumn = [&](int tenths) {
            int dark = 0;
            for (int r = 1; r <= 25; ++r) {
                const QRgb p = page.pixel(px(tenths), px(rowTop(r) + 15));
                dark += qGray(p) < 40 ? 1 : 0;
            }
            return dark;
        };
        QCOMPARE(darkColumn(stitchLeft(11)), 25);
        QCOMPARE(darkColumn(stitchLeft(21)), 25);
        QCOMPARE(darkColumn(stitchLeft(10)), 0);
        QCOMPARE(darkColumn(stitchLeft(20)), 0);
    }

    // A 70 × 40 chart on two pages side by side (corners x 0..63 and 63..70), with a red line from
    // corner (58, 30) to (68, 36): it runs on page 1 to (63, 33) and on page 2 from there. Each page
    // shows its part in the thread's colour and changes nowhere else. (Where rows are cut into
    // pages the layout's own test works out by hand.)
    void backstitchOnThePrintedPages()
    {
        QTemporaryDir dir;
        SchemeGrid grid;
        SetUpChartGrid(grid);
        FillChart(grid.model(), 70, 40);
        const int red = FindDmc("321");
        QList<QImage> pages[2];
        for (int i = 0; i < 2; ++i) {
            if (i == 1) {
                const Backstitch line{red, 58, 30, 68, 36};
                grid.model().OverLines = BackstitchOverLines(std::span(&line, 1));
            }
            const QString path = dir.filePath(QStringLiteral("chart%1.pdf").arg(i));
            QCOMPARE(PrintGridToPdf(grid.model(), path.toStdString(), FixedClock()), 2);
            const QString folder = dir.filePath(QStringLiteral("pages%1").arg(i));
            QVERIFY(QDir().mkpath(folder));
            pages[i] = RenderPages(path, folder);
            QCOMPARE(pages[i].size(), 2);
        }
        const auto px = [](double tenths) { return static_cast<int>((50 + tenths) * 100 / 254); };
        // Each page's piece of the line, and the corner at the page's first stitch cell.
        struct Piece {
            int page;
            double u1, v1, u2, v2;
            int firstU, firstV;
        };
        const Piece pieces[] = {{1, 58, 30, 63, 33, 0, 0}, {2, 63, 33, 68, 36, 63, 0}};
        const ColorValue thread = DMCTable[static_cast<std::size_t>(red)].Color;
        for (const Piece& p : pieces) {
            const QImage& before = pages[0][p.page - 1];
            const QImage& after = pages[1][p.page - 1];
            const auto x = [&](double u) { return px(173 + 41 * (u - p.firstU)); };
            const auto y = [&](double v) { return px(167 + 31 * (v - p.firstV)); };
            const QRgb middle = after.pixel(x((p.u1 + p.u2) / 2), y((p.v1 + p.v2) / 2));
            QCOMPARE(static_cast<ColorValue>(qRed(middle) | qGreen(middle) << 8 | qBlue(middle) << 16), thread);
            // The outline's half width (0.3 mm) and a pixel of rounding around the piece.
            const QRect reach = QRect(QPoint(x(p.u1), y(p.v1)), QPoint(x(p.u2), y(p.v2))).normalized().adjusted(-4, -4, 4, 4);
            int changed = 0;
            for (int py = 0; py < after.height(); ++py)
                for (int pxl = 0; pxl < after.width(); ++pxl)
                    if (after.pixel(pxl, py) != before.pixel(pxl, py)) {
                        ++changed;
                        QVERIFY2(reach.contains(pxl, py),
                                 qPrintable(QStringLiteral("page %1, pixel %2,%3").arg(p.page).arg(pxl).arg(py)));
                    }
            QVERIFY(changed > 0);
        }
    }

    void noDefaultPrinterIsAnError()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer; the test would print on it");
        GridModel model;
        try {
            PrintGrid(model);
            QFAIL("printing without a printer went through");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Принтер по умолчанию не выбран"));
        }
    }
};

QTEST_MAIN(QtPrintCanvasTest)
#include "qt_print_canvas_test.moc"
