#include "scheme_grid.h"

#include "view/paint/qt_bridge.h"
#include "view/chart_look.h"
#include "view/paint/symbol_glyphs.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTransform>
#include <QWheelEvent>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace velmora {

namespace {

int ClampToInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Where a text of `size` goes in `box` under the alignment: the printed page's rule too.
QPoint AlignedIn(const QRect& box, QSize size, HorizontalAlignment hAlign, VerticalAlignment vAlign)
{
    const CellBox placed = PlaceCellText(ToCellBox(box), {}, size.width(), size.height(), hAlign, vAlign);
    return {placed.left, placed.top};
}

// A text turned by `angle` degrees counter-clockwise, its turned box aligned in `box`.
void PaintRotatedText(GridCanvas& canvas, const QRect& box, int angle, std::string_view text, HorizontalAlignment hAlign,
                      VerticalAlignment vAlign)
{
    QPainter& painter = canvas.Painter();
    const GlyphRun run = ShapeText(canvas.Font, text);
    painter.setFont(run.font);
    painter.setPen(canvas.Resolve(canvas.Font.color));

    const QFontMetrics metrics(run.font);
    const QRect textRect(0, 0, metrics.horizontalAdvance(run.text), metrics.height());
    QTransform turn;
    turn.rotate(-angle);
    const QRect turned = turn.mapRect(textRect);
    const QPoint at = AlignedIn(box, turned.size(), hAlign, vAlign);

    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.translate(at.x() - turned.left(), at.y() - turned.top());
    painter.rotate(-angle);
    painter.drawText(QPoint(0, metrics.ascent()), run.text);
    painter.restore();
}

} // namespace

// ---- GridCanvas ---------------------------------------------------------------------------------

QColor GridCanvas::Resolve(ColorValue color) const
{
    return ToScreenQColor(widget_ != nullptr ? widget_->palette() : QPalette(), color);
}

void GridCanvas::FillRect(const QRect& rect) { painter_.fillRect(rect, Resolve(Brush.Color)); }

const TextSprite* GridCanvas::Sprite(std::string_view text) const
{
    if (cache_ == nullptr)
        return nullptr;
    return &cache_->Get(Font, Resolve(Font.color).rgb(), painter_.device()->devicePixelRatioF(), text);
}

// Copies the part of the sprite placed with its text box at `topLeft` that lies inside `clip`.
static void DrawSprite(QPainter& painter, const TextSprite& sprite, QPoint topLeft, const QRect& clip)
{
    if (sprite.image.isNull())
        return;
    const QRect target = sprite.bounds.translated(topLeft) & clip;
    if (target.isEmpty())
        return;
    const qreal ratio = sprite.image.devicePixelRatio();
    const QRect local = target.translated(-topLeft - sprite.bounds.topLeft());
    const QRectF source(local.x() * ratio, local.y() * ratio, local.width() * ratio, local.height() * ratio);
    painter.drawImage(QRectF(target), sprite.image, source);
}

QSize GridCanvas::TextExtent(std::string_view text) const
{
    if (const TextSprite* sprite = Sprite(text))
        return sprite->extent;
    const GlyphRun run = ShapeText(Font, text);
    const QFontMetrics metrics(run.font);
    return {metrics.horizontalAdvance(run.text), metrics.height()};
}

void GridCanvas::TextRect(const QRect& clip, int x, int y, std::string_view text)
{
    if (text.empty() || clip.isEmpty())
        return;
    if (const TextSprite* sprite = Sprite(text)) {
        DrawSprite(painter_, *sprite, QPoint(x, y), clip);
        return;
    }
    const GlyphRun run = ShapeText(Font, text);
    const QFontMetrics metrics(run.font);
    painter_.save();
    painter_.setClipRect(clip, Qt::IntersectClip);
    painter_.setFont(run.font);
    painter_.setPen(Resolve(Font.color));
    painter_.drawText(QPoint(x, y + metrics.ascent()), run.text);
    painter_.restore();
}

// ---- SchemeGrid -----------------------------------------------------------------------------

SchemeGrid::SchemeGrid(QWidget* parent)
    : QAbstractScrollArea(parent), glyphs_(std::make_unique<GlyphCache>())
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    UpdateScrollBars();
}

SchemeGrid::~SchemeGrid() = default;

void SchemeGrid::Refresh()
{
    UpdateScrollBars();
    viewport()->update();
}

void SchemeGrid::SetColCount(int count)
{
    model_.SetColCount(count);
    Refresh();
}

void SchemeGrid::SetRowCount(int count)
{
    model_.SetRowCount(count);
    Refresh();
}

void SchemeGrid::SetCell(int col, int row, std::string_view text)
{
    model_.SetCell(col, row, text);
    viewport()->update(CellRect(col, row));
}

void SchemeGrid::setCellTable(CellTable table)
{
    model_.setCellTable(std::move(table));
    Refresh();
}

void SchemeGrid::SetRow(int row) { MoveCurrent(model_.Col(), row); }

void SchemeGrid::SetCurrent(int col, int row) { MoveCurrent(col, row); }

void SchemeGrid::SetFont(const GridFont& font)
{
    model_.Font = font;
    viewport()->update();
}

void SchemeGrid::SetFixedFont(const GridFont& font)
{
    model_.FixedFont = font;
    viewport()->update();
}

QRect SchemeGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return {};
    std::int64_t x = ColLeft(col);
    std::int64_t y = RowTop(row);
    if (col >= GridModel::FixedCols)
        x -= horizontalScrollBar()->value();
    if (row >= GridModel::FixedRows)
        y -= verticalScrollBar()->value();
    return {ClampToInt(x), ClampToInt(y), ColWidth(col), RowHeight(row)};
}

QPoint SchemeGrid::CellAt(const QPoint& pos) const
{
    if (ColCount() == 0 || RowCount() == 0 || pos.x() < 0 || pos.y() < 0)
        return {-1, -1};
    const std::int64_t fixedW = ColLeft(std::min(GridModel::FixedCols, ColCount()));
    const std::int64_t fixedH = RowTop(std::min(GridModel::FixedRows, RowCount()));
    const std::int64_t x = pos.x() < fixedW ? pos.x() : pos.x() + horizontalScrollBar()->value();
    const std::int64_t y = pos.y() < fixedH ? pos.y() : pos.y() + verticalScrollBar()->value();
    if (x >= TotalWidth() || y >= TotalHeight())
        return {-1, -1};
    return {ColAt(x), RowAt(y)};
}

int SchemeGrid::LeftCol() const
{
    if (ColCount() <= GridModel::FixedCols)
        return GridModel::FixedCols;
    return std::max(GridModel::FixedCols,
                    ColAt(ColLeft(GridModel::FixedCols) + horizontalScrollBar()->value()));
}

int SchemeGrid::TopRow() const
{
    if (RowCount() <= GridModel::FixedRows)
        return GridModel::FixedRows;
    return std::max(GridModel::FixedRows,
                    RowAt(RowTop(GridModel::FixedRows) + verticalScrollBar()->value()));
}

void SchemeGrid::UpdateScrollBars()
{
    const QSize view = viewport()->size();
    const std::int64_t extraW = TotalWidth() - view.width();
    const std::int64_t extraH = TotalHeight() - view.height();
    horizontalScrollBar()->setRange(0, ClampToInt(std::max<std::int64_t>(0, extraW)));
    verticalScrollBar()->setRange(0, ClampToInt(std::max<std::int64_t>(0, extraH)));
    const int fixedW = ColCount() > 0 ? ColWidth(0) : 0;
    const int fixedH = RowCount() > 0 ? RowHeight(0) : 0;
    horizontalScrollBar()->setPageStep(std::max(1, view.width() - fixedW));
    verticalScrollBar()->setPageStep(std::max(1, view.height() - fixedH));
    horizontalScrollBar()->setSingleStep(std::max(1, Zoomed(model_.DefaultColWidth(), zoom_)));
    verticalScrollBar()->setSingleStep(std::max(1, Zoomed(model_.DefaultRowHeight(), zoom_)));
}

void SchemeGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void SchemeGrid::scrollContentsBy(int, int) { viewport()->update(); }

void SchemeGrid::ScrollInView(int col, int row)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    const QSize view = viewport()->size();
    if (col >= GridModel::FixedCols) {
        const std::int64_t fixedW = ColLeft(GridModel::FixedCols);
        const std::int64_t left = ColLeft(col) - fixedW;
        const std::int64_t right = ColLeft(col + 1) - fixedW;
        const std::int64_t room = std::max<std::int64_t>(0, view.width() - fixedW);
        QScrollBar* bar = horizontalScrollBar();
        if (left < bar->value())
            bar->setValue(ClampToInt(left));
        else if (right > bar->value() + room)
            bar->setValue(ClampToInt(std::min(left, right - room)));
    }
    if (row >= GridModel::FixedRows) {
        const std::int64_t fixedH = RowTop(GridModel::FixedRows);
        const std::int64_t top = RowTop(row) - fixedH;
        const std::int64_t bottom = RowTop(row + 1) - fixedH;
        const std::int64_t room = std::max<std::int64_t>(0, view.height() - fixedH);
        QScrollBar* bar = verticalScrollBar();
        if (top < bar->value())
            bar->setValue(ClampToInt(top));
        else if (bottom > bar->value() + room)
            bar->setValue(ClampToInt(std::min(top, bottom - room)));
    }
}

void SchemeGrid::MoveCurrent(int col, int row)
{
    const QRect before = CellRect(model_.Col(), model_.Row());
    const int oldCol = model_.Col();
    const int oldRow = model_.Row();
    model_.SetCurrent(col, row);
    ScrollInView(model_.Col(), model_.Row());
    viewport()->update(before);
    viewport()->update(CellRect(model_.Col(), model_.Row()));
    if (oldCol != model_.Col() || oldRow != model_.Row())
        emit currentCellChanged(model_.Col(), model_.Row());
}

int SchemeGrid::VisibleNormalRows() const
{
    const int fixedH = RowCount() > 0 ? RowHeight(0) : 0;
    const int rowH = std::max(1, Zoomed(model_.DefaultRowHeight(), zoom_));
    return std::max(1, (viewport()->height() - fixedH) / rowH);
}

void SchemeGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint cell = CellAt(event->position().toPoint());
        if (cell.x() >= GridModel::FixedCols && cell.y() >= GridModel::FixedRows)
            MoveCurrent(cell.x(), cell.y());
    }
    event->accept();
}

void SchemeGrid::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void SchemeGrid::keyPressEvent(QKeyEvent* event)
{
    int col = model_.Col();
    int row = model_.Row();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_PageUp: row -= VisibleNormalRows(); break;
    case Qt::Key_PageDown: row += VisibleNormalRows(); break;
    case Qt::Key_Home:
        col = GridModel::FixedCols;
        if (ctrl)
            row = GridModel::FixedRows;
        break;
    case Qt::Key_End:
        col = ColCount() - 1;
        if (ctrl)
            row = RowCount() - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    MoveCurrent(col, row);
    event->accept();
}

void SchemeGrid::wheelEvent(QWheelEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A notch is 120; fine-grained wheels send parts of one.
    wheelDelta_ += event->angleDelta().y();
    const int steps = wheelDelta_ / 120;
    wheelDelta_ -= steps * 120;
    if (steps != 0)
        emit zoomStepsRequested(steps);
    event->accept();
}

void SchemeGrid::SetZoom(int percent)
{
    const int zoom = NearestZoom(percent);
    if (zoom == zoom_)
        return;
    // The cell at the top left of the view stays there.
    const int left = LeftCol();
    const int top = TopRow();
    zoom_ = zoom;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(ClampToInt(ColLeft(left) - ColLeft(GridModel::FixedCols)));
    verticalScrollBar()->setValue(ClampToInt(RowTop(top) - RowTop(GridModel::FixedRows)));
    viewport()->update();
}

std::int64_t SchemeGrid::ColLeft(int col) const { return model_.ColLeft(col) * zoom_ / 100; }

std::int64_t SchemeGrid::RowTop(int row) const { return model_.RowTop(row) * zoom_ / 100; }

int SchemeGrid::ColAt(std::int64_t x) const
{
    if (zoom_ == 100)
        return model_.ColAt(x);
    // The model's column near x at the zoom, then the one whose scaled edges hold x.
    int col = model_.ColAt(x * 100 / zoom_);
    while (col + 1 < ColCount() && ColLeft(col + 1) <= x)
        ++col;
    while (col > 0 && ColLeft(col) > x)
        --col;
    return col;
}

int SchemeGrid::RowAt(std::int64_t y) const
{
    if (zoom_ == 100)
        return model_.RowAt(y);
    int row = model_.RowAt(y * 100 / zoom_);
    while (row + 1 < RowCount() && RowTop(row + 1) <= y)
        ++row;
    while (row > 0 && RowTop(row) > y)
        --row;
    return row;
}

void SchemeGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update(CellRect(model_.Col(), model_.Row()));
}

void SchemeGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update(CellRect(model_.Col(), model_.Row()));
}

bool SchemeGrid::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QAbstractScrollArea::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPoint cell = CellAt(help->pos());
    const QString hint = OnCellHint && cell.x() >= 0 ? OnCellHint(cell.x(), cell.y()) : QString();
    if (hint.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // The tip goes as soon as the mouse leaves the cell it describes.
    QToolTip::showText(help->globalPos(), hint, viewport(), CellRect(cell.x(), cell.y()));
    return true;
}

void SchemeGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    PaintCells(painter, event->rect());
}

// The cells are painted in four blocks, each under its own clip, so that the fixed row and column
// stay in place while the normal cells scroll beneath them: the normal cells, the column headers,
// the row headers, the corner; then the focus rectangle over all.
void SchemeGrid::PaintCells(QPainter& painter, const QRect& region)
{
    const QRect view = viewport()->rect();
    const QRect area = region & view;
    if (area.isEmpty())
        return;
    // Beyond the last column and row lies the window colour.
    painter.fillRect(area, ToScreenQColor(palette(), clWindow));
    if (ColCount() == 0 || RowCount() == 0)
        return;

    const bool focused = hasFocus();
    const int fixedW = ColWidth(0);
    const int fixedH = RowHeight(0);
    const QRect normalArea = area & QRect(QPoint(fixedW, fixedH), view.bottomRight());
    const QRect topBand = area & QRect(QPoint(fixedW, 0), QPoint(view.right(), fixedH - 1));
    const QRect leftBand = area & QRect(QPoint(0, fixedH), QPoint(fixedW - 1, view.bottom()));
    const QRect corner = area & QRect(0, 0, fixedW, fixedH);

    if (ColCount() > 1 && RowCount() > 1) {
        PaintCellBlock(painter, normalArea, VisibleCols(normalArea), VisibleRows(normalArea), focused);
        PaintOverLines(painter, normalArea);
    }
    if (ColCount() > 1)
        PaintCellBlock(painter, topBand, VisibleCols(topBand), {0, 0}, focused);
    if (RowCount() > 1)
        PaintCellBlock(painter, leftBand, {0, 0}, VisibleRows(leftBand), focused);
    PaintCellBlock(painter, corner, {0, 0}, {0, 0}, focused);

    if (focused)
        PaintFocusRectangle(painter, normalArea);
}

SchemeGrid::CellSpan SchemeGrid::VisibleCols(const QRect& band) const
{
    if (band.isEmpty())
        return {1, 0};
    const std::int64_t ox = horizontalScrollBar()->value();
    return {std::max(GridModel::FixedCols, ColAt(band.left() + ox)), ColAt(band.right() + ox)};
}

SchemeGrid::CellSpan SchemeGrid::VisibleRows(const QRect& band) const
{
    if (band.isEmpty())
        return {1, 0};
    const std::int64_t oy = verticalScrollBar()->value();
    return {std::max(GridModel::FixedRows, RowAt(band.top() + oy)), RowAt(band.bottom() + oy)};
}

void SchemeGrid::PaintCellBlock(QPainter& painter, const QRect& clip, CellSpan cols, CellSpan rows, bool focused)
{
    if (clip.isEmpty() || cols.first > cols.last || rows.first > rows.last)
        return;
    painter.save();
    painter.setClipRect(clip);
    for (int r = rows.first; r <= rows.last; ++r)
        for (int c = cols.first; c <= cols.last; ++c)
            PaintCell(painter, c, r, CellRect(c, r), focused);
    painter.restore();
}

// The lines run along the grid's own lines (a cell's line is the last pixel of its column or row).
// All outlines go first, then all lines, so that lines that meet join without an outline between
// them.
void SchemeGrid::PaintOverLines(QPainter& painter, const QRect& normalArea)
{
    const std::vector<GridOverLine>& lines = model_.OverLines;
    if (lines.empty() || normalArea.isEmpty())
        return;
    const int maxX = ColCount() - GridModel::FixedCols, maxY = RowCount() - GridModel::FixedRows;
    const OverLineWidths widths = OverLineWidthsFor(std::min(ColWidth(GridModel::FixedCols), RowHeight(GridModel::FixedRows)));
    // An odd width is centred on the grid's line, an even one on the edge after it, so that the
    // line covers whole pixels, as the ten-stitch lines do.
    const double half = widths.line % 2 == 1 ? 0.5 : 0.0;
    const double ox = static_cast<double>(horizontalScrollBar()->value()) + half;
    const double oy = static_cast<double>(verticalScrollBar()->value()) + half;
    const auto corner = [&](int x, int y) {
        return QPointF(static_cast<double>(ColLeft(GridModel::FixedCols + x)) - ox,
                       static_cast<double>(RowTop(GridModel::FixedRows + y)) - oy);
    };
    const QRectF reach = QRectF(normalArea).adjusted(-widths.outline, -widths.outline, widths.outline, widths.outline);
    std::vector<std::pair<QLineF, const GridOverLine*>> shown;
    for (const GridOverLine& line : lines) {
        const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x <= maxX && y <= maxY; };
        if (!inside(line.x1, line.y1) || !inside(line.x2, line.y2))
            continue;
        const QLineF segment(corner(line.x1, line.y1), corner(line.x2, line.y2));
        if (QRectF(segment.p1(), segment.p2()).normalized().adjusted(-0.5, -0.5, 0.5, 0.5).intersects(reach))
            shown.emplace_back(segment, &line);
    }
    if (shown.empty())
        return;
    painter.save();
    painter.setClipRect(normalArea);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const bool outline : {true, false}) {
        for (const auto& [segment, line] : shown) {
            painter.setPen(QPen(ToScreenQColor(palette(), outline ? line->outline : line->color),
                                outline ? widths.outline : widths.line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawLine(segment);
        }
    }
    painter.restore();
}

// The platform's focus rectangle: a dotted frame that inverts what lies under it, over whatever
// the current cell's painting left.
void SchemeGrid::PaintFocusRectangle(QPainter& painter, const QRect& normalArea)
{
    if (ColCount() <= GridModel::FixedCols || RowCount() <= GridModel::FixedRows)
        return;
    const QRect current = CellRect(model_.Col(), model_.Row());
    if (!current.intersects(normalArea))
        return;
    painter.save();
    painter.setClipRect(normalArea);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 0);
    pen.setDashPattern({1.0, 1.0});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(current.adjusted(0, 0, -2, -2));
    painter.restore();
}

// A cell is painted as the platform's grid paints it: the background, the cell's own lines, the
// text, then whatever the owner's OnDrawCell adds.
void SchemeGrid::PaintCell(QPainter& painter, int col, int row, const QRect& rect, bool focused)
{
    const bool fixed = col < GridModel::FixedCols || row < GridModel::FixedRows;
    const bool current = !fixed && col == model_.Col() && row == model_.Row();
    const CellDrawState state{.selected = current, .focused = current && focused, .fixed = fixed};

    GridCanvas canvas(painter, this, glyphs_.get());
    model_.CellColors(col, row, state, canvas.Brush, canvas.Font);
    if (zoom_ != 100)
        canvas.Font.size = std::max(1, (canvas.Font.size * zoom_ + 50) / 100);
    canvas.FillRect(rect);
    PaintCellLines(canvas, rect, fixed);
    PaintCellText(canvas, col, row, rect);
    if (OnDrawCell)
        OnDrawCell(*this, col, row, rect.adjusted(1, 1, -1, -1), state, canvas);
}

// The cell's own lines along its right and bottom edges.
void SchemeGrid::PaintCellLines(GridCanvas& canvas, const QRect& rect, bool fixed) const
{
    const QColor lineColor = canvas.Resolve(fixed ? GridModel::FixedLineColor : model_.GridLineColor);
    const int lineWidth = fixed ? GridModel::FixedLineWidth : model_.GridLineWidth;
    if (lineWidth <= 0)
        return;
    QPainter& painter = canvas.Painter();
    painter.fillRect(QRect(rect.right() - lineWidth + 1, rect.top(), lineWidth, rect.height()), lineColor);
    painter.fillRect(QRect(rect.left(), rect.bottom() - lineWidth + 1, rect.width(), lineWidth), lineColor);
}

void SchemeGrid::PaintCellText(GridCanvas& canvas, int col, int row, const QRect& rect) const
{
    HorizontalAlignment hAlign{};
    VerticalAlignment vAlign{};
    model_.CellAlignment(col, row, hAlign, vAlign);
    const std::string text = model_.Cells(col, row);
    if (text.empty())
        return;

    if (model_.IsRotated(col, row)) {
        PaintRotatedText(canvas, rect.adjusted(2, 2, -2, -2), model_.CellAngle(col, row), text, hAlign, vAlign);
        return;
    }
    const QRect box = rect.adjusted(1 + 2, 1 + 2, -1 - 2, -1);
    const QPoint at = AlignedIn(box, canvas.TextExtent(text), hAlign, vAlign);
    canvas.TextRect(box, at.x(), at.y(), text);
}

} // namespace velmora
