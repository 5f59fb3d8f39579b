#include "thread_chooser_dialog.h"

#include "scheme/thread_edit.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/thread_table.h"
#include "view/qt/window_font.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {
namespace {

// The DMC table's cells, the name column wider for the mark of a thread in the scheme.
constexpr int kNameWidth = 62;
constexpr int kSwatchWidth = 40;
constexpr int kThreadRole = Qt::UserRole;
const QString kMark = QStringLiteral("● ");

std::size_t At(int i) { return static_cast<std::size_t>(i); }

QString Name(int dmc) { return QString::fromLatin1(DMCTable[At(dmc)].Name); }

} // namespace

ThreadChooserDialog::ThreadChooserDialog(QWidget* owner, int replaced, const std::vector<LegendEntry>& schemeThreads)
    : QDialog(owner), replaced_(replaced), offered_(ThreadsNearestFirst(replaced))
{
    for (const LegendEntry& thread : schemeThreads) {
        if (thread.dmc < 0 || thread.dmc >= kDmcCount)
            continue;
        inScheme_[At(thread.dmc)] = true;
        stitches_[At(thread.dmc)] = thread.stitches;
    }
    setObjectName(QStringLiteral("fm_ThreadChooser"));
    setWindowTitle(QStringLiteral("Заменить нитку"));
    setFont(WindowBaseFont());

    lb_Replaced = new QLabel(this);
    lb_Replaced->setObjectName(QStringLiteral("lb_Replaced"));
    lb_Replaced->setText(QStringLiteral("Нитку %1 (крестиков: %2) заменить ниткой из каталога. Ближайшие по цвету — первыми.")
                             .arg(Name(replaced))
                             .arg(stitches_[At(replaced)]));
    lb_Replaced->setWordWrap(true);

    lb_Find = new QLabel(QStringLiteral("&Найти:"), this);
    lb_Find->setObjectName(QStringLiteral("lb_Find"));
    ed_Find = new QLineEdit(this);
    ed_Find->setObjectName(QStringLiteral("ed_Find"));
    ed_Find->setPlaceholderText(QStringLiteral("название нитки"));
    ed_Find->setStatusTip(QStringLiteral("Найти нитку по названию, например 310, 3823 или Ecru"));
    ed_Find->setToolTip(QStringLiteral("Найти нитку"));
    lb_Find->setBuddy(ed_Find);
    connect(ed_Find, &QLineEdit::textChanged, this, [this] { ed_FindChange(); });

    sg_Threads = new QTableWidget(0, kThreadTableColumns, this);
    sg_Threads->setObjectName(QStringLiteral("sg_Threads"));
    SetUpThreadTable(*sg_Threads,
                     [this](const QModelIndex& index, const QStyleOptionViewItem& option, QPainter& painter) {
                         sg_ThreadsDrawCell(index.column(), index.row(), option.rect, painter);
                     });
    for (int n = 0; n < kThreadsPerRow; ++n) {
        sg_Threads->setColumnWidth(2 * n, kNameWidth + 1);
        sg_Threads->setColumnWidth(2 * n + 1, kSwatchWidth + 1);
        sg_Threads->setHorizontalHeaderItem(2 * n, new QTableWidgetItem(QStringLiteral("Нитка")));
        sg_Threads->setHorizontalHeaderItem(2 * n + 1, new QTableWidgetItem(QStringLiteral("Цвет")));
    }
    connect(sg_Threads, &QTableWidget::currentCellChanged, this,
            [this](int row, int col) { sg_ThreadsSelectCell(col, row); });
    connect(sg_Threads, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
        sg_ThreadsSelectCell(col, row);
        if (Chosen() >= 0)
            accept();
    });

    lb_Marks = new QLabel(this);
    lb_Marks->setObjectName(QStringLiteral("lb_Marks"));
    lb_Marks->setText(kMark + QStringLiteral("— нитка уже есть в схеме: её выбор объединит две нитки в одну."));
    lb_Marks->setWordWrap(true);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Заменить"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* find = new QHBoxLayout;
    find->addWidget(lb_Find);
    find->addWidget(ed_Find, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(lb_Replaced);
    layout->addLayout(find);
    layout->addWidget(sg_Threads, 1);
    layout->addWidget(lb_Marks);
    layout->addWidget(Buttons);

    FillThreads();
    // Seven threads a row fit without a horizontal scroll bar; 22 rows are in view.
    const int gridWidth = kThreadsPerRow * (kNameWidth + kSwatchWidth + 2) + 2 * sg_Threads->frameWidth() +
                          sg_Threads->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    sg_Threads->setMinimumWidth(gridWidth);
    resize(gridWidth + 12, 560);
    ed_Find->setFocus();
}

void ThreadChooserDialog::FillThreads()
{
    sg_Threads->setRowCount(static_cast<int>((offered_.size() + kThreadsPerRow - 1) / kThreadsPerRow));
    QFont marked = sg_Threads->font();
    marked.setBold(true);
    for (std::size_t k = 0; k < offered_.size(); ++k) {
        const int dmc = offered_[k];
        const int row = static_cast<int>(k) / kThreadsPerRow;
        const int col = static_cast<int>(k) % kThreadsPerRow * 2;
        const bool used = inScheme_[At(dmc)];
        const QString tip = used ? QStringLiteral("%1 — уже в схеме, крестиков: %2; выбор объединит нитки")
                                       .arg(Name(dmc))
                                       .arg(stitches_[At(dmc)])
                                 : QStringLiteral("%1 — нет в схеме").arg(Name(dmc));
        auto* name = new QTableWidgetItem(used ? kMark + Name(dmc) : Name(dmc));
        name->setData(kThreadRole, dmc);
        name->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        name->setToolTip(tip);
        if (used)
            name->setFont(marked);
        sg_Threads->setItem(row, col, name);
        auto* swatch = new QTableWidgetItem;
        swatch->setData(kThreadRole, dmc);
        swatch->setToolTip(tip);
        sg_Threads->setItem(row, col + 1, swatch);
    }
}

int ThreadChooserDialog::Chosen() const
{
    const QTableWidgetItem* item = sg_Threads->currentItem();
    return item && item->data(kThreadRole).isValid() ? item->data(kThreadRole).toInt() : -1;
}

bool ThreadChooserDialog::Choose(int dmc)
{
    const auto it = std::find(offered_.begin(), offered_.end(), dmc);
    if (it == offered_.end())
        return false;
    const int k = static_cast<int>(it - offered_.begin());
    sg_Threads->setCurrentCell(k / kThreadsPerRow, k % kThreadsPerRow * 2);
    sg_Threads->scrollToItem(sg_Threads->currentItem());
    return true;
}

void ThreadChooserDialog::sg_ThreadsSelectCell(int col, int row)
{
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(Chosen() >= 0);
    // A thread is one name and its swatch: a click on the swatch shows the thread chosen on its
    // name, once the click has set its own selection.
    if (col >= 0 && col % 2 == 1 && sg_Threads->item(row, col - 1)) {
        QMetaObject::invokeMethod(
            this,
            [this, row, col] {
                if (sg_Threads->currentRow() == row && sg_Threads->currentColumn() == col)
                    sg_Threads->setCurrentCell(row, col - 1);
            },
            Qt::QueuedConnection);
    }
}

void ThreadChooserDialog::ed_FindChange()
{
    const QString text = ed_Find->text().trimmed();
    if (text.isEmpty())
        return;
    // The thread of that very name, else the nearest in colour whose name begins so.
    for (const int dmc : offered_) {
        if (Name(dmc).compare(text, Qt::CaseInsensitive) == 0) {
            Choose(dmc);
            return;
        }
    }
    for (const int dmc : offered_) {
        if (Name(dmc).startsWith(text, Qt::CaseInsensitive)) {
            Choose(dmc);
            return;
        }
    }
}

void ThreadChooserDialog::sg_ThreadsDrawCell(int col, int row, const QRect& rect, QPainter& painter) const
{
    if (col % 2 == 0)
        return;
    const QTableWidgetItem* item = sg_Threads->item(row, col);
    if (item == nullptr || !item->data(kThreadRole).isValid())
        return;
    painter.fillRect(rect, ToQColor(DMCTable[At(item->data(kThreadRole).toInt())].Color));
}

} // namespace velmora
