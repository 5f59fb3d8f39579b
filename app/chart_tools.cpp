#include "chart_tools.h"

#include "action.h"
#include "error_box.h"
#include "stitch_commands.h"
#include "thread_chooser_dialog.h"
#include "scheme/thread_edit.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include <QActionGroup>
#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace velmora {

// Paints over the chart grid what a tool shows while it works: the selection's frame and the line
// of backstitch being drawn, placed from their stitches and corners as the grid is scrolled and
// zoomed now. It lies over the grid's viewport and lets the mouse through.
class ChartToolOverlay final : public QWidget {
public:
    ChartToolOverlay(QWidget* viewport, const ChartTools& tools) : QWidget(viewport), tools_(tools)
    {
        setObjectName(QStringLiteral("ChartToolOverlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        resize(viewport->size());
    }

    // The corners of the line being drawn.
    std::optional<std::pair<QPoint, QPoint>> line;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect selection = tools_.Selection();
        if (!selection.isEmpty()) {
            const QRect frame(tools_.CornerPoint(selection.topLeft()),
                              tools_.CornerPoint(selection.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
            // Black dashes on white read on every colour of cell.
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(frame);
            painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            painter.drawRect(frame);
        }
        if (line) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(QColor(0, 0, 0, 160), 3, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(tools_.CornerPoint(line->first), tools_.CornerPoint(line->second));
        }
    }

private:
    const ChartTools& tools_;
};

namespace {

QString ThreadName(int dmc) { return QString::fromLatin1(DMCTable[static_cast<std::size_t>(dmc)].Name); }

// The stitches of a straight run from `from` to `to`, both included: a fast drag leaves no gaps.
std::vector<QPoint> StitchesBetween(QPoint from, QPoint to)
{
    std::vector<QPoint> run;
    const int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    for (QPoint at = from;;) {
        run.push_back(at);
        if (at == to)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            at.ry() += sy;
        }
    }
    return run;
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

int ChartWidth(const SchemeDocument& document) { return document.chart.columns() - 1; }
int ChartHeight(const SchemeDocument& document) { return document.chart.rows() - 2; }

} // namespace

ChartTools::ChartTools(QWidget& page, SchemeGrid& chart, SchemeGrid& legend,
                       std::function<SchemeDocument&()> document, QUndoStack& undo,
                       std::function<void(const StitchEdit&)> shown, std::function<void()> reshown)
    : QObject(&page), chart_(chart), legend_(legend), document_(std::move(document)), undo_(undo),
      shown_(std::move(shown)), reshown_(std::move(reshown)), thread_(FindDmc("310"))
{
    setObjectName(QStringLiteral("ChartTools"));
    CreateToolBar(page);
    overlay_ = new ChartToolOverlay(chart_.viewport(), *this);
    overlay_->hide();
    chartViewport_ = chart_.viewport();
    legendViewport_ = legend_.viewport();
    chartViewport_->installEventFilter(this);
    legendViewport_->installEventFilter(this);
    SetCurrentThread(thread_);
}

HintedAction* ChartTools::MakeTool(const char* name, const char* caption, const char* hint, const char* image, int key)
{
    auto* action = new HintedAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    action->SetHint(QString::fromUtf8(hint));
    action->setIcon(QIcon(QStringLiteral(":/images/") + QLatin1String(image)));
    action->setCheckable(true);
    action->setShortcut(QKeySequence(key));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setEnabled(false);
    tools_->addAction(action);
    return action;
}

HintedAction* ChartTools::MakeCommand(const char* name, const char* caption, const char* hint, const char* image,
                                 std::function<void()> execute)
{
    auto* action = new HintedAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    action->SetHint(QString::fromUtf8(hint));
    if (image != nullptr)
        action->setIcon(QIcon(QStringLiteral(":/images/") + QLatin1String(image)));
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, [execute = std::move(execute)] { RunGuarded(execute); });
    return action;
}

void ChartTools::CreateToolBar(QWidget& page)
{
    tools_ = new QActionGroup(this);
    tools_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    ac_ToolPencil = MakeTool("ac_ToolPencil", "Карандаш",
                             "Карандаш|Крестики текущей ниткой: щелчок или протяжка; правая кнопка стирает до ткани (P)",
                             "tool_pencil.png", Qt::Key_P);
    ac_ToolFill = MakeTool("ac_ToolFill", "Заливка",
                           "Заливка|Отдать текущей нитке все крестики одной нитки, связанные по сторонам клеток (F)",
                           "tool_fill.png", Qt::Key_F);
    ac_ToolEyedropper = MakeTool("ac_ToolEyedropper", "Пипетка",
                                 "Пипетка|Сделать текущей нитку крестика под щелчком (I)", "tool_eyedropper.png",
                                 Qt::Key_I);
    ac_ToolSelection = MakeTool("ac_ToolSelection", "Выделение",
                                "Выделение|Выделить прямоугольник крестиков, чтобы залить, стереть или обрезать его (R)",
                                "tool_selection.png", Qt::Key_R);
    ac_ToolBackstitch = MakeTool(
        "ac_ToolBackstitch", "Бэкстич",
        "Бэкстич|Линия текущей ниткой от угла клетки до угла: нажать, протянуть, отпустить; правая кнопка на "
        "линии удаляет её (B)",
        "tool_backstitch.png", Qt::Key_B);
    connect(tools_, &QActionGroup::triggered, this, [this] {
        EndStroke();
        dragFrom_.reset();
        overlay_->line.reset();
        overlay_->update();
        chart_.viewport()->setCursor(CurrentTool() == Tool::None ? Qt::ArrowCursor : Qt::CrossCursor);
    });

    ac_ToolThread = MakeCommand("ac_ToolThread", "Нитка…",
                                "Нитка|Выбрать текущую нитку из каталога; нитка, которой нет в схеме, войдёт в неё "
                                "со свободным символом",
                                nullptr, [this] {
                                    ThreadChooserDialog chooser(chart_.window(), thread_, SchemeThreads(document_()));
                                    chooser.setWindowTitle(QStringLiteral("Нитка для рисования"));
                                    chooser.lb_Replaced->setText(
                                        QStringLiteral("Текущая нитка %1. Ближайшие по цвету — первыми.")
                                            .arg(ThreadName(thread_)));
                                    chooser.lb_Marks->setText(QStringLiteral("● — нитка уже есть в схеме."));
                                    chooser.Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Выбрать"));
                                    if (chooser.exec() == QDialog::Accepted && chooser.Chosen() >= 0)
                                        SetCurrentThread(chooser.Chosen());
                                });
    ac_ToolSelectionFill = MakeCommand("ac_ToolSelectionFill", "Залить выделение",
                                       "Залить выделение|Все крестики выделения — текущей ниткой", "tool_fill.png",
                                       [this] { SetSelectionStitches(thread_, QStringLiteral("заливка выделения")); });
    ac_ToolSelectionErase = MakeCommand(
        "ac_ToolSelectionErase", "Стереть выделение", "Стереть выделение|Стереть крестики выделения до ткани", nullptr,
        [this] { SetSelectionStitches(kDmcWhite, QStringLiteral("стирание выделения")); });
    ac_ToolSelectionErase->setShortcut(QKeySequence(Qt::Key_Delete));
    ac_ToolSelectionErase->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ac_ToolCrop = MakeCommand("ac_ToolCrop", "Обрезать по выделению",
                              "Обрезать по выделению|Оставить от схемы только выделенные крестики", "tool_crop.png",
                              [this] { CropToSelection(); });

    ChartToolBar = new QToolBar(&page);
    ChartToolBar->setObjectName(QStringLiteral("ChartToolBar"));
    ChartToolBar->setIconSize(QSize(16, 16));
    ChartToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction* tool : tools_->actions())
        ChartToolBar->addAction(tool);
    ChartToolBar->addSeparator();
    lb_ToolThread = new QLabel(ChartToolBar);
    lb_ToolThread->setObjectName(QStringLiteral("lb_ToolThread"));
    lb_ToolThread->setToolTip(QStringLiteral("Текущая нитка"));
    lb_ToolThread->setStatusTip(QStringLiteral("Нитка, которой рисуют инструменты; щелчок по строке таблицы "
                                               "символов или пипетка выбирают другую"));
    ChartToolBar->addWidget(lb_ToolThread);
    ChartToolBar->addAction(ac_ToolThread);
    ChartToolBar->widgetForAction(ac_ToolThread)->setObjectName(QStringLiteral("tb_ToolThread"));
    ChartToolBar->addSeparator();
    ChartToolBar->addAction(ac_ToolSelectionFill);
    ChartToolBar->addAction(ac_ToolSelectionErase);
    ChartToolBar->addAction(ac_ToolCrop);
    for (QAction* action : {ac_ToolThread, ac_ToolSelectionFill, ac_ToolSelectionErase, ac_ToolCrop})
        qobject_cast<QToolButton*>(ChartToolBar->widgetForAction(action))->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // The keys work where the chart has the focus.
    page.addActions(tools_->actions());
    page.addAction(ac_ToolSelectionErase);
    if (auto* layout = qobject_cast<QBoxLayout*>(page.layout()))
        layout->insertWidget(0, ChartToolBar);
    ChartToolBar->hide();
}

ChartTools::Tool ChartTools::CurrentTool() const
{
    const QAction* checked = tools_->checkedAction();
    if (checked == ac_ToolPencil)
        return Tool::Pencil;
    if (checked == ac_ToolFill)
        return Tool::Fill;
    if (checked == ac_ToolEyedropper)
        return Tool::Eyedropper;
    if (checked == ac_ToolSelection)
        return Tool::Selection;
    if (checked == ac_ToolBackstitch)
        return Tool::Backstitch;
    return Tool::None;
}

void ChartTools::SetCurrentThread(int dmc)
{
    thread_ = dmc;
    const QColor colour = ToQColor(DMCTable[static_cast<std::size_t>(dmc)].Color);
    lb_ToolThread->setText(QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</span>"
                                          "&nbsp;%2&nbsp;")
                               .arg(colour.name(), ThreadName(dmc).toHtmlEscaped()));
}

void ChartTools::SetShown(bool shown)
{
    if (!shown) {
        if (QAction* checked = tools_->checkedAction())
            checked->trigger();
        SetSelectionRect(QRect());
    }
    ChartToolBar->setVisible(shown);
    overlay_->setVisible(shown);
}

void ChartTools::Reset()
{
    strokeThread_.reset();
    strokeChanges_.clear();
    strokeEdits_.clear();
    dragFrom_.reset();
    overlay_->line.reset();
    SetSelectionRect(QRect());
}

void ChartTools::UpdateActions(bool schemeReady)
{
    const bool on = schemeReady && ChartToolBar->isVisibleTo(ChartToolBar->parentWidget());
    for (QAction* tool : tools_->actions())
        tool->setEnabled(on);
    ac_ToolThread->setEnabled(on);
    for (QAction* action : {ac_ToolSelectionFill, ac_ToolSelectionErase, ac_ToolCrop})
        action->setEnabled(on && !selection_.isEmpty());
}

bool ChartTools::eventFilter(QObject* watched, QEvent* event)
{
    // The viewports are compared as they were kept: the filter still sees their events while the
    // grids are being destroyed, when a grid can no longer be asked for its viewport.
    if (watched == chartViewport_) {
        switch (event->type()) {
        case QEvent::Resize:
            overlay_->resize(static_cast<QWidget*>(watched)->size());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            if (CurrentTool() != Tool::None) {
                auto* mouse = static_cast<QMouseEvent*>(event);
                RunGuarded([this, mouse] { ChartMouse(*mouse); });
                return true;
            }
            break;
        default:
            break;
        }
    } else if (watched == legendViewport_ && event->type() == QEvent::MouseButtonPress) {
        LegendPress(*static_cast<QMouseEvent*>(event));
    }
    return QObject::eventFilter(watched, event);
}

bool ChartTools::LegendPress(QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton || !ChartToolBar->isVisibleTo(ChartToolBar->parentWidget()))
        return false;
    const int row = legend_.CellAt(event.position().toPoint()).y();
    const CellTable& legend = document_().legend;
    if (row < 1 || row >= legend.rows())
        return false;
    const int dmc = FindDmc(legend.text(3, row));
    if (dmc < 0)
        return false;
    SetCurrentThread(dmc);
    return true;
}

std::optional<QPoint> ChartTools::StitchAt(const QPoint& pos) const
{
    const QPoint cell = chart_.CellAt(pos);
    const SchemeDocument& document = document_();
    const QPoint stitch(cell.x() - 1, cell.y() - 1);
    if (stitch.x() < 0 || stitch.y() < 0 || stitch.x() >= ChartWidth(document) || stitch.y() >= ChartHeight(document))
        return std::nullopt;
    return stitch;
}

QPoint ChartTools::CornerAt(const QPoint& pos) const
{
    const SchemeDocument& document = document_();
    const int width = ChartWidth(document), height = ChartHeight(document);
    const QRect first = chart_.CellRect(1, 1), last = chart_.CellRect(width, height);
    const QPoint inside(std::clamp(pos.x(), first.left(), last.right()), std::clamp(pos.y(), first.top(), last.bottom()));
    const QPoint cell = chart_.CellAt(inside);
    const int col = std::clamp(cell.x(), 1, width), row = std::clamp(cell.y(), 1, height);
    const QRect rect = chart_.CellRect(col, row);
    return {col - 1 + (2 * (pos.x() - rect.left()) >= rect.width() ? 1 : 0),
            row - 1 + (2 * (pos.y() - rect.top()) >= rect.height() ? 1 : 0)};
}

QPoint ChartTools::CornerPoint(QPoint corner) const
{
    const SchemeDocument& document = document_();
    const int width = ChartWidth(document), height = ChartHeight(document);
    const QRect rect = chart_.CellRect(std::min(corner.x() + 1, width), std::min(corner.y() + 1, height));
    return {corner.x() < width ? rect.left() : rect.left() + rect.width(),
            corner.y() < height ? rect.top() : rect.top() + rect.height()};
}

bool ChartTools::ChartMouse(QMouseEvent& event)
{
    const QPoint pos = event.position().toPoint();
    const std::optional<QPoint> stitch = StitchAt(pos);
    const Tool tool = CurrentTool();
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (tool == Tool::Pencil && stitch && (event.button() == Qt::LeftButton || event.button() == Qt::RightButton)) {
            EndStroke();
            strokeThread_ = event.button() == Qt::LeftButton ? thread_ : kDmcWhite;
            strokeLast_ = *stitch;
            PencilTo(*stitch);
        } else if (event.button() != Qt::LeftButton && !(tool == Tool::Backstitch && event.button() == Qt::RightButton)) {
            break;
        } else if (tool == Tool::Fill && stitch) {
            FillAt(*stitch);
        } else if (tool == Tool::Eyedropper && stitch) {
            PickAt(*stitch);
        } else if (tool == Tool::Selection && stitch) {
            dragFrom_ = *stitch;
            SetSelectionRect(QRect(*stitch, QSize(1, 1)));
        } else if (tool == Tool::Backstitch && event.button() == Qt::RightButton) {
            RemoveLineAt(pos);
        } else if (tool == Tool::Backstitch) {
            dragFrom_ = CornerAt(pos);
            overlay_->line = {*dragFrom_, *dragFrom_};
            overlay_->update();
        }
        break;
    case QEvent::MouseMove:
        if (tool == Tool::Pencil && strokeThread_ && stitch) {
            PencilTo(*stitch);
        } else if (tool == Tool::Selection && dragFrom_ && stitch) {
            SelectTo(*stitch);
        } else if (tool == Tool::Backstitch && dragFrom_) {
            overlay_->line = {*dragFrom_, CornerAt(pos)};
            overlay_->update();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (tool == Tool::Pencil) {
            EndStroke();
        } else if (tool == Tool::Selection) {
            if (dragFrom_ && stitch)
                SelectTo(*stitch);
            dragFrom_.reset();
        } else if (tool == Tool::Backstitch && dragFrom_ && event.button() == Qt::LeftButton) {
            EndLine(pos);
        }
        break;
    default:
        break;
    }
    return true;
}

void ChartTools::PencilTo(QPoint stitch)
{
    const int width = ChartWidth(document_());
    std::vector<StitchChange> changes;
    for (const QPoint at : StitchesBetween(strokeLast_, stitch))
        changes.push_back({at.y() * width + at.x(), *strokeThread_});
    strokeLast_ = stitch;
    StitchEdit edit;
    try {
        edit = SetStitches(document_(), changes);
    } catch (const ThreadEditError& e) {
        strokeThread_.reset();
        EndStroke();
        throw std::runtime_error(e.russian());
    }
    strokeChanges_.insert(strokeChanges_.end(), changes.begin(), changes.end());
    shown_(edit);
    strokeEdits_.push_back(std::move(edit));
}

void ChartTools::EndStroke()
{
    strokeThread_.reset();
    if (strokeEdits_.empty())
        return;
    // The pieces of the stroke are taken back and the stroke is made again as one edit: one step
    // to undo, which gives back every stitch as it was before the stroke.
    SchemeDocument& document = document_();
    const CellTable legendBefore = strokeEdits_.front().legendBefore;
    for (auto edit = strokeEdits_.rbegin(); edit != strokeEdits_.rend(); ++edit)
        UndoStitchEdit(document, *edit);
    strokeEdits_.clear();
    std::vector<StitchChange> changes = std::move(strokeChanges_);
    strokeChanges_.clear();
    StitchEdit whole = SetStitches(document, changes);
    if (whole.stitches.empty() && whole.legendBefore == document.legend)
        return;
    const bool erased = !changes.empty() && changes.front().dmc == kDmcWhite;
    undo_.push(new StitchEditCommand(erased ? QStringLiteral("стирание") : QStringLiteral("рисование карандашом"),
                                     std::move(whole),
                                     [changes = std::move(changes)](SchemeDocument& d) { return SetStitches(d, changes); },
                                     document_, shown_));
}

void ChartTools::Apply(const QString& text, const std::function<StitchEdit(SchemeDocument&)>& make)
{
    StitchEdit edit;
    try {
        edit = make(document_());
    } catch (const ThreadEditError& e) {
        throw std::runtime_error(e.russian());
    }
    if (edit.stitches.empty() && !edit.backstitchesChanged && edit.legendBefore == document_().legend)
        return;
    undo_.push(new StitchEditCommand(text, std::move(edit), make, document_, shown_));
}

void ChartTools::FillAt(QPoint stitch)
{
    const int dmc = thread_;
    Apply(QStringLiteral("заливка"), [stitch, dmc](SchemeDocument& document) {
        std::vector<StitchChange> changes;
        for (const std::int32_t at :
             ConnectedStitches(document, stitch.y() * ChartWidth(document) + stitch.x()))
            changes.push_back({at, dmc});
        return SetStitches(document, changes);
    });
}

void ChartTools::PickAt(QPoint stitch)
{
    try {
        SetCurrentThread(ThreadOfStitch(document_(), stitch.x(), stitch.y()));
    } catch (const ThreadEditError& e) {
        throw std::runtime_error(e.russian());
    }
}

void ChartTools::RemoveLineAt(const QPoint& pos)
{
    const std::vector<Backstitch>& lines = document_().backstitches;
    // Near enough: a third of a cell, and never less than a few pixels at the smallest zoom.
    const double reach = std::max(4.0, chart_.CellRect(1, 1).width() / 3.0);
    std::optional<std::size_t> nearest;
    double best = reach;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double distance = DistanceToSegment(pos, CornerPoint({lines[i].x1, lines[i].y1}),
                                                  CornerPoint({lines[i].x2, lines[i].y2}));
        if (distance <= best) {
            best = distance;
            nearest = i;
        }
    }
    if (!nearest)
        return;
    const Backstitch line = lines[*nearest];
    Apply(QStringLiteral("удаление линии бэкстича"), [line](SchemeDocument& document) {
        const auto& all = document.backstitches;
        const auto found = std::find(all.rbegin(), all.rend(), line);
        return RemoveBackstitch(document, static_cast<std::size_t>(all.rend() - found - 1));
    });
}

void ChartTools::EndLine(const QPoint& pos)
{
    const QPoint from = *dragFrom_, to = CornerAt(pos);
    dragFrom_.reset();
    overlay_->line.reset();
    overlay_->update();
    if (from == to)
        return;
    const Backstitch line{thread_, from.x(), from.y(), to.x(), to.y()};
    Apply(QStringLiteral("линия бэкстича"), [line](SchemeDocument& document) { return AddBackstitch(document, line); });
}

void ChartTools::SelectTo(QPoint stitch)
{
    SetSelectionRect(QRect(QPoint(std::min(dragFrom_->x(), stitch.x()), std::min(dragFrom_->y(), stitch.y())),
                           QPoint(std::max(dragFrom_->x(), stitch.x()), std::max(dragFrom_->y(), stitch.y()))));
}

void ChartTools::SetSelectionRect(QRect selection)
{
    selection_ = selection;
    overlay_->update();
}

void ChartTools::SetSelectionStitches(int dmc, const QString& text)
{
    const QRect selection = selection_;
    Apply(text, [selection, dmc](SchemeDocument& document) {
        const int width = ChartWidth(document);
        std::vector<StitchChange> changes;
        for (int y = selection.top(); y <= selection.bottom(); ++y)
            for (int x = selection.left(); x <= selection.right(); ++x)
                changes.push_back({y * width + x, dmc});
        return SetStitches(document, changes);
    });
}

void ChartTools::CropToSelection()
{
    if (selection_.isEmpty())
        return;
    SchemeDocument cropped;
    try {
        cropped = CropScheme(document_(), {selection_.x(), selection_.y(), selection_.width(), selection_.height()});
    } catch (const ThreadEditError& e) {
        throw std::runtime_error(e.russian());
    }
    SetSelectionRect(QRect());
    undo_.push(new CropCommand(document_(), std::move(cropped), document_, reshown_));
}

} // namespace velmora
