#include "thread_catalogue_dialog.h"

#include "scheme/color_text.h"
#include "scheme/dmc_inc.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/thread_table.h"
#include "view/qt/window_font.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>


namespace velmora {
namespace {

// Columns without the 1-pixel grid line, which a table section holds at its right.
constexpr int kColWidth = 48;

} // namespace

ThreadCatalogueDialog::ThreadCatalogueDialog(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("fm_DMC"));
    setWindowTitle(QStringLiteral("Таблица DMC"));
    // A resizable tool window with only the close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(WindowBaseFont());
    // The outer size is 726 × 516; the client area is that less the frame and the small title bar.
    resize(726 - 8, 516 - 8 - 18);

    sg_DMC = new QTableWidget(1, kThreadTableColumns, this);
    sg_DMC->setObjectName(QStringLiteral("sg_DMC"));
    SetUpThreadTable(*sg_DMC, [this](const QModelIndex& index, const QStyleOptionViewItem& option, QPainter& painter) {
        sg_DMCDrawCell(index.column(), index.row() + 1, option.rect, option.state, painter);
    });
    sg_DMC->horizontalHeader()->setDefaultSectionSize(kColWidth + 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(sg_DMC);

    FormCreate();
}

void ThreadCatalogueDialog::FormCreate()
{
    for (int n = kThreadsPerRow - 1; n >= 0; --n) {
        SetCell(2 * n, 0, "\xcd\xe8\xf2\xea\xe0"); // "Нитка"
        SetCell(2 * n + 1, 0, "\xd6\xe2\xe5\xf2"); // "Цвет"
    }
}

std::string ThreadCatalogueDialog::Cells(int col, int row) const
{
    const QTableWidgetItem* item =
        row == 0 ? sg_DMC->horizontalHeaderItem(col) : sg_DMC->item(row - 1, col);
    return item ? QStringToCp1251(item->text()) : std::string();
}

void ThreadCatalogueDialog::SetCell(int col, int row, const std::string& text)
{
    auto* item = new QTableWidgetItem(Cp1251ToQString(text));
    if (row == 0) {
        sg_DMC->setHorizontalHeaderItem(col, item);
        return;
    }
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    sg_DMC->setItem(row - 1, col, item);
}

void ThreadCatalogueDialog::SetRowCount(int count)
{
    sg_DMC->setRowCount(std::max(count - 1, 0));
}

void ThreadCatalogueDialog::FillCatalogue()
{
    SetRowCount((kDmcCount + kThreadsPerRow - 1) / kThreadsPerRow + 1);
    for (int i = 0; i < kDmcCount; ++i) {
        const TDMC& thread = DMCTable[static_cast<std::size_t>(i)];
        const int col = (i % kThreadsPerRow) * 2;
        const int row = i / kThreadsPerRow + 1;
        SetCell(col, row, thread.Name);
        SetCell(col + 1, row, std::to_string(thread.Color));
    }
}

void ThreadCatalogueDialog::sg_DMCDrawCell(int col, int row, const QRect& rect, QStyle::State, QPainter& painter) const
{
    const std::string text = Cells(col, row);
    if (text.empty() || col % 2 == 0 || row == 0)
        return;
    const std::optional<Color> colour = ColorFromText(text);
    if (!colour)
        return;
    // The swatch covers the whole cell, selection highlight and number alike.
    painter.fillRect(rect, ToQColor(*colour));
}

} // namespace velmora
