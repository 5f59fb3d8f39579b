#pragma once

#include "scheme/dmc_inc.h"
#include "scheme/scheme_builder.h"

#include <QDialog>
#include <QStyle>

#include <array>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPainter;
class QTableWidget;

namespace velmora {

// The chooser of "Заменить нитку…": the thread catalogue in the DMC table's look, each name beside
// a swatch of its colour, seven threads to a row, the threads nearest in colour to the one replaced
// first. The threads the scheme has already are marked, since choosing one merges the two.
class ThreadChooserDialog : public QDialog {
    Q_OBJECT
public:
    // `replaced` is the catalogue index of the thread to replace; `schemeThreads` the scheme's.
    ThreadChooserDialog(QWidget* owner, int replaced, const std::vector<LegendEntry>& schemeThreads);

    QLabel* lb_Replaced = nullptr;
    QLabel* lb_Find = nullptr;
    QLineEdit* ed_Find = nullptr;
    QTableWidget* sg_Threads = nullptr;
    QLabel* lb_Marks = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    // The catalogue index of the thread chosen, or −1.
    int Chosen() const;
    // Makes `dmc` the thread chosen and scrolls it into view; false when it is not offered.
    bool Choose(int dmc);
    // The threads in the order offered, row by row.
    const std::vector<int>& Offered() const { return offered_; }
    bool InScheme(int dmc) const { return inScheme_[static_cast<std::size_t>(dmc)]; }

    // Paints over a cell the grid has drawn: a colour cell becomes a swatch of its thread's colour.
    void sg_ThreadsDrawCell(int col, int row, const QRect& rect, QPainter& painter) const;

private:
    void FillThreads();
    void ed_FindChange();
    void sg_ThreadsSelectCell(int col, int row);

    int replaced_;
    std::vector<int> offered_;
    std::array<bool, kDmcCount> inScheme_{};
    std::array<int, kDmcCount> stitches_{};
};

} // namespace velmora
