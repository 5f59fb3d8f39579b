#pragma once

#include "scheme/crop_scheme.h"
#include "scheme/stitch_edit.h"

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>
#include <span>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMouseEvent;
class QToolBar;
class QToolButton;
class QUndoStack;
class QWidget;

namespace velmora {

class HintedAction;
class SchemeGrid;
class ChartToolOverlay;

// The drawing tools of the chart page: a tool bar of its own above the chart (shown on request),
// the current thread, and the mouse strokes on the chart grid turned into edits of the scheme,
// one undo step each. With no tool chosen the chart grid has the mouse to itself, as without the
// tools.
class ChartTools : public QObject {
    Q_OBJECT
public:
    enum class Tool { None, Pencil, Fill, Eyedropper, Selection, Backstitch };

    // `page` is the chart page, whose layout takes the tool bar at its top; `document` the scheme
    // shown; `undo` the window's undo stack; `shown` shows the stitches of an edit again and
    // `reshown` the whole scheme (after a crop); both count the scheme as unsaved.
    ChartTools(QWidget& page, SchemeGrid& chart, SchemeGrid& legend, std::function<SchemeDocument&()> document,
               QUndoStack& undo, std::function<void(const StitchEdit&)> shown, std::function<void()> reshown);

    QToolBar* ChartToolBar = nullptr;
    HintedAction* ac_ToolPencil = nullptr;
    HintedAction* ac_ToolFill = nullptr;
    HintedAction* ac_ToolEyedropper = nullptr;
    HintedAction* ac_ToolSelection = nullptr;
    HintedAction* ac_ToolBackstitch = nullptr;
    HintedAction* ac_ToolThread = nullptr;        // the catalogue's chooser for the current thread
    HintedAction* ac_ToolSelectionFill = nullptr; // the selection's stitches to the current thread
    HintedAction* ac_ToolSelectionErase = nullptr;
    HintedAction* ac_ToolCrop = nullptr;          // "Обрезать по выделению"
    QLabel* lb_ToolThread = nullptr;         // the current thread: a swatch and its name

    Tool CurrentTool() const;
    // The thread the tools draw in (catalogue index).
    int CurrentThread() const { return thread_; }
    void SetCurrentThread(int dmc);
    // The selected stitches (x, y from 0, width, height), empty when none.
    QRect Selection() const { return selection_; }
    // A stroke is under way: its pieces are in the scheme but not yet on the undo stack, so undo
    // and redo must wait for its end.
    bool Drawing() const { return strokeThread_.has_value(); }
    // Shows or hides the tool bar; hidden, no tool is chosen.
    void SetShown(bool shown);
    // A new scheme: no selection, nothing half drawn.
    void Reset();
    // Enables the commands of the selection.
    void UpdateActions(bool schemeReady);

    // The grid corner (x in 0..W, y in 0..H) nearest to a viewport point of the chart grid, and
    // the viewport point of a corner.
    QPoint CornerAt(const QPoint& pos) const;
    QPoint CornerPoint(QPoint corner) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HintedAction* MakeTool(const char* name, const char* caption, const char* hint, const char* image, int key);
    HintedAction* MakeCommand(const char* name, const char* caption, const char* hint, const char* image,
                         std::function<void()> execute);
    void CreateToolBar(QWidget& page);

    bool ChartMouse(QMouseEvent& event);
    bool LegendPress(QMouseEvent& event);
    // The stitch (x, y) under a viewport point, if it is one of the chart's.
    std::optional<QPoint> StitchAt(const QPoint& pos) const;

    void PencilTo(QPoint stitch);
    void EndStroke();
    void FillAt(QPoint stitch);
    void PickAt(QPoint stitch);
    void RemoveLineAt(const QPoint& pos);
    void EndLine(const QPoint& pos);
    // The selection from the stitch where the drag began to `stitch`.
    void SelectTo(QPoint stitch);
    void SetSelectionRect(QRect selection);
    void SetSelectionStitches(int dmc, const QString& text);
    void CropToSelection();

    // Makes an edit and pushes it as one step; a refused edit throws with the Russian message.
    void Apply(const QString& text, const std::function<StitchEdit(SchemeDocument&)>& make);

    SchemeGrid& chart_;
    SchemeGrid& legend_;
    QObject* chartViewport_ = nullptr;
    QObject* legendViewport_ = nullptr;
    std::function<SchemeDocument&()> document_;
    QUndoStack& undo_;
    std::function<void(const StitchEdit&)> shown_;
    std::function<void()> reshown_;
    QActionGroup* tools_ = nullptr;
    ChartToolOverlay* overlay_ = nullptr;

    int thread_;
    // A stroke of the pencil under way: its button's thread, its stitches so far and the edits
    // made as it went, which its end takes back to make the stroke one edit.
    std::optional<int> strokeThread_;
    QPoint strokeLast_;
    std::vector<StitchChange> strokeChanges_;
    std::vector<StitchEdit> strokeEdits_;
    // A selection or a line being dragged out, from its first stitch or corner.
    std::optional<QPoint> dragFrom_;
    QRect selection_;
};

} // namespace velmora
