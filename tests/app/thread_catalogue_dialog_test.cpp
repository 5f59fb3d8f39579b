// The DMC table window: where the catalogue stands in the grid, and the grid as painted, with
// swatches over the colour cells (selected ones too) and the empty last pair left alone.
#include "app/thread_catalogue_dialog.h"
#include "scheme/cp1251.h"
#include "scheme/dmc_inc.h"

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

using namespace velmora;

namespace {

QColor ColorOf(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// An unusual background, so that a swatch and an unpainted cell cannot be mistaken.
const QColor kBackground(10, 200, 30);

} // namespace

class DmcFormTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        form_ = std::make_unique<ThreadCatalogueDialog>(nullptr);
        QPalette palette = form_->sg_DMC->palette();
        palette.setColor(QPalette::Base, kBackground);
        form_->sg_DMC->setPalette(palette);
        form_->FillCatalogue();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup() { form_.reset(); }

    void catalogueStandsSevenToARow()
    {
        QCOMPARE(form_->sg_DMC->rowCount() + 1, 57);
        QCOMPARE(form_->sg_DMC->columnCount(), 14);
        for (int col = 0; col < 14; ++col)
            QCOMPARE(form_->Cells(col, 0), Utf8ToCp1251(col % 2 == 0 ? "Нитка" : "Цвет"));
        QCOMPARE(form_->Cells(0, 1), std::string("White"));
        QCOMPARE(form_->Cells(1, 1), std::string("16777215"));
        for (int i : {0, 6, 7, 200, 384, 385, 390}) {
            const int row = i / 7 + 1, col = i % 7 * 2;
            QCOMPARE(form_->Cells(col, row), std::string(DMCTable[std::size_t(i)].Name));
            QCOMPARE(form_->Cells(col + 1, row), std::to_string(DMCTable[std::size_t(i)].Color));
        }
        QCOMPARE(form_->Cells(12, 56), std::string());
        QCOMPARE(form_->Cells(13, 56), std::string());
    }

    void designSize()
    {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Таблица DMC"));
        QVERIFY(form_->windowFlags() & Qt::Tool);
        QCOMPARE(form_->sg_DMC->columnWidth(0), 48 + 1); // the cell and its grid line
        QCOMPARE(form_->sg_DMC->rowHeight(0), 18 + 1);
        QCOMPARE(form_->sg_DMC->horizontalScrollBar()->maximum(), 0);
        QVERIFY(form_->sg_DMC->verticalScrollBar()->maximum() > 0);
        const QSize before = form_->sg_DMC->size();
        form_->resize(form_->size() + QSize(100, 50));
        QTRY_COMPARE(form_->sg_DMC->size(), before + QSize(100, 50));
    }

    void swatchesCoverTheColourCells()
    {
        const QImage view = Grab();
        QCOMPARE(Centre(view, 1, 1), QColor(Qt::white));
        QCOMPARE(Centre(view, 3, 1), ColorOf(DMCTable[1].Color));
        QCOMPARE(Centre(view, 13, 3), ColorOf(DMCTable[20].Color));
        // The whole cell is the swatch: no number shows through.
        const QRect cell = CellRect(3, 1);
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                QCOMPARE(view.pixelColor(x, y), ColorOf(DMCTable[1].Color));
        // A name cell shows its text on the background.
        QVERIFY(CountNot(view, CellRect(0, 2), kBackground) > 5);
        QVERIFY(CountNot(view, CellRect(0, 2), kBackground) < CellRect(0, 2).width() * CellRect(0, 2).height() / 2);
    }

    void selectedColourCellShowsItsSwatch()
    {
        form_->sg_DMC->setFocus();
        form_->sg_DMC->setCurrentCell(2 - 1, 5); // grid row 2, column 5
        const QImage view = Grab();
        QCOMPARE(Centre(view, 5, 2), ColorOf(DMCTable[9].Color));
        // A selected name cell is highlighted as usual.
        form_->sg_DMC->setCurrentCell(2 - 1, 4);
        QVERIFY(Centre(Grab(), 4, 2) != kBackground);
    }

    void lastRowLeavesItsLastPairBlank()
    {
        form_->sg_DMC->scrollToBottom();
        const QImage view = Grab();
        QCOMPARE(Centre(view, 11, 56), ColorOf(DMCTable[390].Color));
        QCOMPARE(CountNot(view, CellRect(12, 56), kBackground), 0);
        QCOMPARE(CountNot(view, CellRect(13, 56), kBackground), 0);
    }

private:
    QImage Grab() { return form_->sg_DMC->viewport()->grab().toImage(); }

    // A cell of the grid (row 0 the header) in viewport pixels, without its grid lines.
    QRect CellRect(int col, int row) const
    {
        const QRect rect = form_->sg_DMC->visualRect(form_->sg_DMC->model()->index(row - 1, col));
        return rect.adjusted(0, 0, -1, -1);
    }

    QColor Centre(const QImage& view, int col, int row) const { return view.pixelColor(CellRect(col, row).center()); }

    static int CountNot(const QImage& view, const QRect& rect, const QColor& color)
    {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                count += view.pixelColor(x, y) != color;
        return count;
    }

    std::unique_ptr<ThreadCatalogueDialog> form_;
};

QTEST_MAIN(DmcFormTest)
#include "thread_catalogue_dialog_test.moc"
