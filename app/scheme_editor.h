#pragma once

#include "picture/bitmap.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_cleanup.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QUndoStack;
class QWidget;

namespace velmora {

class SchemeGrid;

// The edits of the scheme shown, each one step of the undo stack: the window's side of
// ReplaceThread and UndoThreadEdit.
class SchemeEditor : public QObject {
    Q_OBJECT
public:
    // `document` gives the scheme shown; `changed` runs after each edit, undo and redo, to show
    // the scheme again and count it as unsaved.
    SchemeEditor(QObject* parent, std::function<SchemeDocument&()> document, std::function<void()> changed);

    QUndoStack* UndoStack = nullptr;

    // The thread (catalogue index) of a row of the legend, or −1 for the header, an empty row or
    // a row of no catalogue thread.
    int ThreadOfLegendRow(int row) const;
    // The legend row of the thread of a stitch of the chart (an empty cell is White's), or −1 for
    // a cell that holds no stitch.
    int LegendRowOfChartCell(int col, int row) const;

    // "Заменить нитку…" for a row of the legend: the chooser, a question before a merge, then the
    // edit. Nothing changes when the user cancels. A refused edit throws with the Russian message.
    void ReplaceThreadOfLegendRow(QWidget* parent, int row);

    // Replaces `from` by `to` as one step that can be undone. Throws, with the Russian message,
    // what ReplaceThread refuses; the scheme then stays as it was.
    void ReplaceThread(int from, int to);

    // Makes the clean-up passes of `options` as one step that can be undone; `source` is the
    // picture as the build sampled it, or empty. Nothing reaches the stack when nothing changes.
    // Throws, with the Russian message, what the passes refuse; the scheme then stays as it was.
    void CleanUp(const CleanupOptions& options, const Bitmap& source);

    // The legend's context menu offers `replace` for the row under the mouse, and a double click
    // on a thread row runs it. `update` sets the commands' enabled states.
    void AttachLegend(SchemeGrid& legend, QAction& replace, std::function<void()> update);
    QMenu* pm_Legend = nullptr;

    // A new or opened scheme: the edits of the one before can no longer be undone.
    void Forget();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SchemeGrid* legend_ = nullptr;
    // The filter still sees the viewport's events while the grid is being destroyed, when the
    // grid can no longer be asked for it.
    QObject* legendViewport_ = nullptr;
    QAction* replace_ = nullptr;
    std::function<void()> update_;
    std::function<SchemeDocument&()> document_;
    std::function<void()> changed_;
};

} // namespace velmora
