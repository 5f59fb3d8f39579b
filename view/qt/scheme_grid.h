#pragma once

#include "view/grid_model.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <string_view>

class QPainter;

namespace velmora {

class SchemeGrid;
class GlyphCache;
struct TextSprite;

// What a drawing callback paints with: the grid's painter, holding the cell's brush and font as
// plain data, so that symbols are drawn as the symbol font asks.
class GridCanvas {
public:
    // `cache`, when given, keeps the texts drawn as images for the next cells.
    GridCanvas(QPainter& painter, const QWidget* widget, GlyphCache* cache = nullptr)
        : painter_(painter), widget_(widget), cache_(cache)
    {
    }

    GridBrush Brush;
    GridFont Font;

    QPainter& Painter() { return painter_; }
    // Fills `rect` with the brush colour.
    void FillRect(const QRect& rect);
    // The width and height of `text` (Windows-1251) in the canvas font.
    QSize TextExtent(std::string_view text) const;
    // Draws `text` with its top-left corner at (x, y), clipped to `clip`, transparently.
    void TextRect(const QRect& clip, int x, int y, std::string_view text);
    // A colour of the grid's model resolved against the widget's palette.
    QColor Resolve(ColorValue color) const;

private:
    const TextSprite* Sprite(std::string_view text) const;

    QPainter& painter_;
    const QWidget* widget_;
    GlyphCache* cache_;
};

using DrawCellEvent =
    std::function<void(SchemeGrid& Sender, int ACol, int ARow, const QRect& Rect, CellDrawState State,
                       GridCanvas& Canvas)>;

// A read-only string grid: one fixed row and column that stay in view, cells painted through the
// owner's callbacks, scrolling and a current cell, no editing. It paints only the cells in view.
class SchemeGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SchemeGrid(QWidget* parent = nullptr);
    ~SchemeGrid() override;

    // The whole model. After changing it directly, call Refresh() so the grid lays out and repaints;
    // the setters below do that themselves.
    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }
    void Refresh();

    int ColCount() const { return model_.ColCount(); }
    int RowCount() const { return model_.RowCount(); }
    void SetColCount(int count);
    void SetRowCount(int count);
    std::string Cells(int col, int row) const { return model_.Cells(col, row); }
    void SetCell(int col, int row, std::string_view text);
    const CellTable& cellTable() const { return model_.cellTable(); }
    // Installs a whole table at once (a new build).
    void setCellTable(CellTable table);

    int Col() const { return model_.Col(); }
    int Row() const { return model_.Row(); }
    void SetRow(int row);
    void SetCurrent(int col, int row);

    const GridFont& Font() const { return model_.Font; }
    void SetFont(const GridFont& font);
    const GridFont& FixedFont() const { return model_.FixedFont; }
    void SetFixedFont(const GridFont& font);

    // The rectangle of a cell in viewport coordinates as it lies now (it may lie outside the view).
    QRect CellRect(int col, int row) const;
    // The cell under a viewport point, or (-1, -1) outside the cells.
    QPoint CellAt(const QPoint& pos) const;
    // Scrolls the least needed so that the cell is in view.
    void ScrollInView(int col, int row);
    // The first normal column and row in view (the scroll position in cells).
    int LeftCol() const;
    int TopRow() const;

    // Paints the cells of `region` (viewport coordinates) with `painter` as the screen shows them.
    void PaintCells(QPainter& painter, const QRect& region);

    // The zoom on screen in per cent: sizes, fonts and symbols scaled together; the model, which
    // printing and the export read, keeps its own sizes. 100 shows the model as it is.
    int Zoom() const { return zoom_; }
    void SetZoom(int percent);

    DrawCellEvent OnDrawCell;
    // The tooltip of the cell under the mouse; empty, or unset, for none.
    std::function<QString(int col, int row)> OnCellHint;

signals:
    void currentCellChanged(int col, int row);
    // Ctrl and the mouse wheel: +1 for each notch away from the user, −1 towards.
    void zoomStepsRequested(int steps);

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The columns (rows) from first to last, both included; empty when first > last.
    struct CellSpan {
        int first;
        int last;
    };

    void UpdateScrollBars();
    // The normal columns (rows) that lie in a band of the viewport as it is scrolled now.
    CellSpan VisibleCols(const QRect& band) const;
    CellSpan VisibleRows(const QRect& band) const;
    void PaintCellBlock(QPainter& painter, const QRect& clip, CellSpan cols, CellSpan rows, bool focused);
    void PaintFocusRectangle(QPainter& painter, const QRect& normalArea);
    // The model's lines over the cells that cross `normalArea`, clipped to it.
    void PaintOverLines(QPainter& painter, const QRect& normalArea);
    void PaintCell(QPainter& painter, int col, int row, const QRect& rect, bool focused);
    void PaintCellLines(GridCanvas& canvas, const QRect& rect, bool fixed) const;
    void PaintCellText(GridCanvas& canvas, int col, int row, const QRect& rect) const;
    void MoveCurrent(int col, int row);
    int VisibleNormalRows() const;

    // The model's geometry at the zoom: edges scaled from the model's, so cells still tile.
    std::int64_t ColLeft(int col) const;
    std::int64_t RowTop(int row) const;
    int ColWidth(int col) const { return static_cast<int>(ColLeft(col + 1) - ColLeft(col)); }
    int RowHeight(int row) const { return static_cast<int>(RowTop(row + 1) - RowTop(row)); }
    std::int64_t TotalWidth() const { return ColLeft(ColCount()); }
    std::int64_t TotalHeight() const { return RowTop(RowCount()); }
    int ColAt(std::int64_t x) const;
    int RowAt(std::int64_t y) const;

    GridModel model_;
    std::unique_ptr<GlyphCache> glyphs_;
    int zoom_ = 100;
    int wheelDelta_ = 0;
};

} // namespace velmora
