// The chooser of "Заменить нитку…": the catalogue nearest in colour first, the threads of the
// scheme marked, a thread chosen by its name or its swatch, and swatches as the DMC table paints
// them.
#include "app/thread_chooser_dialog.h"
#include "scheme/dmc_inc.h"
#include "scheme/thread_edit.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace velmora;

namespace {

int Dmc(const char* name)
{
    const int dmc = FindDmc(name);
    if (dmc < 0)
        qFatal("no thread %s in the catalogue", name);
    return dmc;
}

QColor ColorOf(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

class ThreadChooserTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // Replacing 310 (black) in a scheme of White, 310, 3823 and 823.
        const std::vector<LegendEntry> scheme = {
            {kDmcWhite, "", 5}, {Dmc("3823"), "!", 7}, {Dmc("823"), "#", 9}, {Dmc("310"), "$", 11}};
        form_ = std::make_unique<ThreadChooserDialog>(nullptr, Dmc("310"), scheme);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup() { form_.reset(); }

    void nearestFirstAndTheSchemesThreadsMarked()
    {
        QTableWidget& grid = *form_->sg_Threads;
        const std::vector<int> order = ThreadsNearestFirst(Dmc("310"));
        QCOMPARE(form_->Offered(), order);
        QCOMPARE(grid.columnCount(), 14);
        QCOMPARE(grid.horizontalHeaderItem(0)->text(), QStringLiteral("Нитка"));
        QCOMPARE(grid.horizontalHeaderItem(1)->text(), QStringLiteral("Цвет"));
        for (std::size_t k : {std::size_t{0}, std::size_t{6}, std::size_t{7}, order.size() - 1}) {
            const int dmc = order[k];
            const QString name = QString::fromLatin1(DMCTable[std::size_t(dmc)].Name);
            const QTableWidgetItem* cell = grid.item(int(k) / 7, int(k) % 7 * 2);
            QVERIFY(cell);
            const bool marked = dmc == kDmcWhite || dmc == Dmc("3823") || dmc == Dmc("823");
            QCOMPARE(cell->text(), marked ? QStringLiteral("● ") + name : name);
            QCOMPARE(cell->font().bold(), marked);
        }
        // Black's nearest thread is 823, a navy nearly black, in the scheme and marked.
        QCOMPARE(order.front(), Dmc("823"));
        QVERIFY(form_->InScheme(Dmc("823")));
        QVERIFY(!form_->InScheme(Dmc("3371")));
    }

    void chosenByNameOrSwatch()
    {
        QPushButton* ok = form_->Buttons->button(QDialogButtonBox::Ok);
        QCOMPARE(form_->Chosen(), -1);
        QVERIFY(!ok->isEnabled());

        // A click on a swatch chooses its thread.
        QTableWidget& grid = *form_->sg_Threads;
        const QRect swatch = grid.visualItemRect(grid.item(1, 3));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, swatch.center());
        QCOMPARE(form_->Chosen(), form_->Offered()[8]);
        QVERIFY(ok->isEnabled());
        QTRY_COMPARE(grid.currentColumn(), 2); // the choice shown on the thread's name

        // A name typed: the thread of that name whatever the letter case, else the nearest whose
        // name begins so; a name of no thread leaves the choice as it was.
        form_->ed_Find->setText(QStringLiteral("ecru"));
        QCOMPARE(form_->Chosen(), Dmc("Ecru"));
        form_->ed_Find->setText(QStringLiteral("3"));
        const auto firstThree = std::find_if(form_->Offered().begin(), form_->Offered().end(),
                                             [](int d) { return DMCTable[std::size_t(d)].Name[0] == '3'; });
        QCOMPARE(form_->Chosen(), *firstThree);
        form_->ed_Find->setText(QStringLiteral("nothing"));
        QVERIFY(form_->Chosen() >= 0);
        // The thread replaced is not offered.
        QVERIFY(!form_->Choose(Dmc("310")));
    }

    void swatchesPaintTheThreadColour()
    {
        QTableWidget& grid = *form_->sg_Threads;
        form_->Choose(form_->Offered()[1]); // a selected thread's swatch stays its colour
        const QImage image = grid.viewport()->grab().toImage();
        for (int k : {0, 1, 8}) {
            const QRect rect = grid.visualItemRect(grid.item(k / 7, k % 7 * 2 + 1));
            QCOMPARE(image.pixelColor(rect.center()), ColorOf(DMCTable[std::size_t(form_->Offered()[std::size_t(k)])].Color));
        }
    }

private:
    std::unique_ptr<ThreadChooserDialog> form_;
};

QTEST_MAIN(ThreadChooserTest)
#include "thread_chooser_test.moc"
