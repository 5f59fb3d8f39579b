#pragma once

#include <QDialog>
#include <QStyleOptionViewItem>

#include <string>

class QPainter;
class QTableWidget;

namespace velmora {

// The DMC table window: the whole thread catalogue, seven threads to a row, each name beside a
// swatch of its colour. Read-only; the command that shows it fills it.
class ThreadCatalogueDialog : public QDialog {
    Q_OBJECT
public:
    explicit ThreadCatalogueDialog(QWidget* owner);

    // The grid. Row 0 is its header (the table's column headers); rows 1.. are the table's rows.
    QTableWidget* sg_DMC = nullptr;

    // The text of a cell, row 0 being the header.
    std::string Cells(int col, int row) const;
    void SetCell(int col, int row, const std::string& text);
    void SetRowCount(int count);

    // Writes the catalogue into the rows below the header.
    void FillCatalogue();

    // Paints over a cell the grid has drawn: a colour cell with text becomes a swatch of the
    // colour its text names.
    void sg_DMCDrawCell(int col, int row, const QRect& rect, QStyle::State state, QPainter& painter) const;

private:
    void FormCreate();
};

} // namespace velmora
