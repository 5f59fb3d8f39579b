#include "view/qt/thread_table.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <utility>

namespace velmora {
namespace {

// Draws a cell the grid's way, then lets the window paint over it.
class PaintOverDelegate final : public QStyledItemDelegate {
public:
    PaintOverDelegate(QObject* parent, ThreadCellPainter paintOver)
        : QStyledItemDelegate(parent), paintOver_(std::move(paintOver))
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        paintOver_(index, option, *painter);
    }

private:
    ThreadCellPainter paintOver_;
};

} // namespace

void SetUpThreadTable(QTableWidget& table, ThreadCellPainter paintOver)
{
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.verticalHeader()->hide();
    table.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table.horizontalHeader()->setFixedHeight(kThreadRowHeight + 1);
    table.horizontalHeader()->setHighlightSections(false);
    table.horizontalHeader()->setSectionsClickable(false);
    table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table.verticalHeader()->setMinimumSectionSize(1);
    table.verticalHeader()->setDefaultSectionSize(kThreadRowHeight + 1);
    table.setWordWrap(false);
    table.setItemDelegate(new PaintOverDelegate(&table, std::move(paintOver)));
}

} // namespace velmora
