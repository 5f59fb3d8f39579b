#pragma once

#include <QTableWidget>

#include <functional>

class QModelIndex;
class QPainter;
class QRect;
class QStyleOptionViewItem;

namespace velmora {

// The catalogue shown as a table of threads, as the DMC table and the thread chooser show it:
// pairs of columns, a thread's name then its colour swatch, seven threads a row.
inline constexpr int kThreadsPerRow = 7;
inline constexpr int kThreadTableColumns = 2 * kThreadsPerRow;
// A row's height without the 1-pixel grid line, which a table section holds at its bottom.
inline constexpr int kThreadRowHeight = 18;

// What a window paints over a cell once the table has drawn it its own way (text, selection).
using ThreadCellPainter = std::function<void(const QModelIndex&, const QStyleOptionViewItem&, QPainter&)>;

// Makes `table` a read-only table of threads: one cell chosen at a time, fixed rows and columns,
// a header row that is not clickable and no row header, texts on one line, and `paintOver` over
// every drawn cell.
void SetUpThreadTable(QTableWidget& table, ThreadCellPainter paintOver);

} // namespace velmora
