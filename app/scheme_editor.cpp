#include "scheme_editor.h"

#include "prompter.h"
#include "thread_chooser_dialog.h"
#include "scheme/legend_columns.h"
#include "scheme/thread_edit.h"

#include "view/qt/scheme_grid.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QUndoCommand>
#include <QUndoStack>

#include <stdexcept>
#include <utility>

namespace velmora {
namespace {

constexpr int kNameColumn = 3;

QString Name(int dmc) { return QString::fromLatin1(DMCTable[static_cast<std::size_t>(dmc)].Name); }

// One thread edit on the undo stack. It is made before it is pushed, so that a refused edit never
// reaches the stack; the first redo, which the push runs, only shows it.
class ThreadEditCommand final : public QUndoCommand {
public:
    ThreadEditCommand(ThreadEdit edit, std::function<SchemeDocument&()> document, std::function<void()> changed)
        : edit_(std::move(edit)), document_(std::move(document)), changed_(std::move(changed))
    {
        setText(edit_.merged ? QStringLiteral("объединение ниток %1 и %2").arg(Name(edit_.from), Name(edit_.to))
                             : QStringLiteral("замена нитки %1 на %2").arg(Name(edit_.from), Name(edit_.to)));
    }

    void undo() override
    {
        UndoThreadEdit(document_(), edit_);
        changed_();
    }

    void redo() override
    {
        if (!made_)
            edit_ = velmora::ReplaceThread(document_(), edit_.from, edit_.to);
        made_ = false;
        changed_();
    }

private:
    ThreadEdit edit_;
    bool made_ = true;
    std::function<SchemeDocument&()> document_;
    std::function<void()> changed_;
};

// The clean-up passes on the undo stack, as one step. Made before they are pushed; a redo after an
// undo makes them again, on the scheme they were first made on, to the same result.
class CleanupCommand final : public QUndoCommand {
public:
    CleanupCommand(CleanupResult result, CleanupOptions options, Bitmap source,
                   std::function<SchemeDocument&()> document, std::function<void()> changed)
        : result_(std::move(result)), options_(options), source_(std::move(source)), document_(std::move(document)),
          changed_(std::move(changed))
    {
        setText(QStringLiteral("очистка схемы"));
    }

    void undo() override
    {
        UndoStitchEdits(document_(), result_.edits);
        changed_();
    }

    void redo() override
    {
        if (!made_)
            result_ = CleanUpScheme(document_(), options_, source_);
        made_ = false;
        changed_();
    }

private:
    CleanupResult result_;
    CleanupOptions options_;
    Bitmap source_;
    bool made_ = true;
    std::function<SchemeDocument&()> document_;
    std::function<void()> changed_;
};

} // namespace

SchemeEditor::SchemeEditor(QObject* parent, std::function<SchemeDocument&()> document, std::function<void()> changed)
    : QObject(parent), document_(std::move(document)), changed_(std::move(changed))
{
    UndoStack = new QUndoStack(this);
    UndoStack->setObjectName(QStringLiteral("UndoStack"));
}

int SchemeEditor::ThreadOfLegendRow(int row) const
{
    const CellTable& legend = document_().legend;
    if (row < 1 || row >= legend.rows())
        return -1;
    const std::string name = legend.text(kNameColumn, row);
    return name.empty() ? -1 : FindDmc(name);
}

int SchemeEditor::LegendRowOfChartCell(int col, int row) const
{
    const SchemeDocument& scheme = document_();
    // Row 0 and column 0 hold the numbers; the last row is empty.
    if (col < 1 || row < 1 || col >= scheme.chart.columns() || row >= scheme.chart.rows() - 1)
        return -1;
    const std::string symbol = scheme.chart.text(col, row);
    for (int legendRow = 1; legendRow < scheme.legend.rows(); ++legendRow)
        if (scheme.legend.text(LegendColumn::Symbol, legendRow) == symbol &&
            !scheme.legend.text(LegendColumn::Name, legendRow).empty())
            return legendRow;
    return -1;
}

void SchemeEditor::ReplaceThreadOfLegendRow(QWidget* parent, int row)
{
    const int from = ThreadOfLegendRow(row);
    if (from < 0)
        return;
    ThreadChooserDialog chooser(parent, from, SchemeThreads(document_()));
    if (chooser.exec() != QDialog::Accepted || chooser.Chosen() < 0)
        return;
    const int to = chooser.Chosen();
    if (chooser.InScheme(to) &&
        !CurrentPrompter().Confirm(parent, QStringLiteral("Объединить нитки"),
                                   QStringLiteral("Нитка %1 уже есть в схеме. Крестики нитки %2 перейдут к ней, "
                                                  "а строка нитки %2 и её символ уйдут из схемы. Объединить?")
                                       .arg(Name(to), Name(from))))
        return;
    ReplaceThread(from, to);
}

void SchemeEditor::ReplaceThread(int from, int to)
{
    ThreadEdit edit;
    try {
        edit = velmora::ReplaceThread(document_(), from, to);
    } catch (const ThreadEditError& e) {
        throw std::runtime_error(e.russian());
    }
    UndoStack->push(new ThreadEditCommand(std::move(edit), document_, changed_));
}

void SchemeEditor::CleanUp(const CleanupOptions& options, const Bitmap& source)
{
    CleanupResult result;
    try {
        result = CleanUpScheme(document_(), options, source);
    } catch (const ThreadEditError& e) {
        throw std::runtime_error(e.russian());
    }
    if (result.edits.empty())
        return;
    UndoStack->push(new CleanupCommand(std::move(result), options, source, document_, changed_));
}

void SchemeEditor::AttachLegend(SchemeGrid& legend, QAction& replace, std::function<void()> update)
{
    legend_ = &legend;
    replace_ = &replace;
    update_ = std::move(update);
    pm_Legend = new QMenu(&legend);
    pm_Legend->setObjectName(QStringLiteral("pm_Legend"));
    pm_Legend->addAction(&replace);
    connect(pm_Legend, &QMenu::aboutToShow, this, [this] { update_(); });
    // A scroll area takes its viewport's context menu events and gives their viewport positions.
    legend.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&legend, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QPoint cell = legend_->CellAt(pos);
        if (cell.y() >= 1)
            legend_->SetRow(cell.y());
        pm_Legend->popup(legend_->viewport()->mapToGlobal(pos));
    });
    legendViewport_ = legend.viewport();
    legendViewport_->installEventFilter(this);
}

bool SchemeEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (legendViewport_ == nullptr || watched != legendViewport_ || event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    const auto* click = static_cast<QMouseEvent*>(event);
    const QPoint cell = legend_->CellAt(click->position().toPoint());
    if (click->button() != Qt::LeftButton || ThreadOfLegendRow(cell.y()) < 0)
        return QObject::eventFilter(watched, event);
    legend_->SetRow(cell.y());
    update_();
    if (replace_->isEnabled())
        replace_->trigger();
    return true;
}

void SchemeEditor::Forget()
{
    UndoStack->clear();
}

} // namespace velmora
