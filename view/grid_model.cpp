#include "grid_model.h"

#include "screen_units.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {

int GridFont::PixelHeight() const { return PointsToPixels(size); }

int GridFont::SizeForPixelHeight(int pixels) { return PixelsToPoints(pixels); }

GridModel::GridModel()
{
    cells_.setColumns(5);
    cells_.setRows(5);
    Resize(colWidths_, 5, defaultColWidth_);
    Resize(rowHeights_, 5, defaultRowHeight_);
    RebuildEdges(colWidths_, colEdges_);
    RebuildEdges(rowHeights_, rowEdges_);
}

void GridModel::Resize(std::vector<int>& sizes, int count, int defaultSize)
{
    sizes.resize(static_cast<std::size_t>(count), defaultSize);
}

void GridModel::RebuildEdges(const std::vector<int>& sizes, std::vector<std::int64_t>& edges)
{
    edges.resize(sizes.size() + 1);
    edges[0] = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        edges[i + 1] = edges[i] + sizes[i];
}

void GridModel::SetColCount(int count)
{
    cells_.setColumns(count); // validates before anything changes
    Resize(colWidths_, count, defaultColWidth_);
    RebuildEdges(colWidths_, colEdges_);
    ClampCurrent();
}

void GridModel::SetRowCount(int count)
{
    cells_.setRows(count);
    Resize(rowHeights_, count, defaultRowHeight_);
    RebuildEdges(rowHeights_, rowEdges_);
    ClampCurrent();
}

void GridModel::setCellTable(CellTable table)
{
    cells_ = std::move(table);
    Resize(colWidths_, cells_.columns(), defaultColWidth_);
    Resize(rowHeights_, cells_.rows(), defaultRowHeight_);
    RebuildEdges(colWidths_, colEdges_);
    RebuildEdges(rowHeights_, rowEdges_);
    ClampCurrent();
}

void GridModel::SetCell(int col, int row, std::string_view text) { cells_.setText(col, row, text); }

bool GridModel::IsRotated(int col, int row) const
{
    return cells_.rotation(col, row) != 0;
}

int GridModel::CellAngle(int col, int row) const
{
    return cells_.rotation(col, row);
}

namespace {

void CheckIndex(int index, std::size_t count, const char* what)
{
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " lies outside the grid");
}

void CheckSize(int size)
{
    if (size < 0)
        throw std::invalid_argument("a column width or row height cannot be negative");
}

} // namespace

int GridModel::ColWidth(int col) const
{
    CheckIndex(col, colWidths_.size(), "column");
    return colWidths_[static_cast<std::size_t>(col)];
}

int GridModel::RowHeight(int row) const
{
    CheckIndex(row, rowHeights_.size(), "row");
    return rowHeights_[static_cast<std::size_t>(row)];
}

void GridModel::SetColWidth(int col, int width)
{
    CheckIndex(col, colWidths_.size(), "column");
    CheckSize(width);
    colWidths_[static_cast<std::size_t>(col)] = width;
    RebuildEdges(colWidths_, colEdges_);
}

void GridModel::SetRowHeight(int row, int height)
{
    CheckIndex(row, rowHeights_.size(), "row");
    CheckSize(height);
    rowHeights_[static_cast<std::size_t>(row)] = height;
    RebuildEdges(rowHeights_, rowEdges_);
}

void GridModel::SetDefaultColWidth(int width)
{
    CheckSize(width);
    defaultColWidth_ = width;
    for (std::size_t c = FixedCols; c < colWidths_.size(); ++c)
        colWidths_[c] = width;
    RebuildEdges(colWidths_, colEdges_);
}

void GridModel::SetDefaultRowHeight(int height)
{
    CheckSize(height);
    defaultRowHeight_ = height;
    for (std::size_t r = FixedRows; r < rowHeights_.size(); ++r)
        rowHeights_[r] = height;
    RebuildEdges(rowHeights_, rowEdges_);
}

void GridModel::SetFixedColWidth(int width)
{
    CheckSize(width);
    if (!colWidths_.empty())
        SetColWidth(0, width);
}

void GridModel::SetFixedRowHeight(int height)
{
    CheckSize(height);
    if (!rowHeights_.empty())
        SetRowHeight(0, height);
}

std::int64_t GridModel::ColLeft(int col) const
{
    CheckIndex(col, colEdges_.size(), "column");
    return colEdges_[static_cast<std::size_t>(col)];
}

std::int64_t GridModel::RowTop(int row) const
{
    CheckIndex(row, rowEdges_.size(), "row");
    return rowEdges_[static_cast<std::size_t>(row)];
}

int GridModel::IndexAt(const std::vector<std::int64_t>& edges, std::int64_t pos)
{
    // edges holds count + 1 ascending sums; the index is the last edge at or before pos.
    const int count = static_cast<int>(edges.size()) - 1;
    if (count <= 0)
        return 0;
    const auto it = std::upper_bound(edges.begin(), edges.end(), pos);
    const int index = static_cast<int>(it - edges.begin()) - 1;
    return std::clamp(index, 0, count - 1);
}

int GridModel::ColAt(std::int64_t x) const { return IndexAt(colEdges_, x); }

int GridModel::RowAt(std::int64_t y) const { return IndexAt(rowEdges_, y); }

void GridModel::SetCurrent(int col, int row)
{
    col_ = col;
    row_ = row;
    ClampCurrent();
}

void GridModel::ClampCurrent()
{
    col_ = std::clamp(col_, FixedCols, std::max(FixedCols, ColCount() - 1));
    row_ = std::clamp(row_, FixedRows, std::max(FixedRows, RowCount() - 1));
}

void GridModel::SetColumnHeaders(const std::vector<std::string>& headers)
{
    if (RowCount() == 0)
        return;
    const int n = std::min(ColCount(), static_cast<int>(headers.size()));
    for (int c = 0; c < n; ++c)
        cells_.setText(c, 0, headers[static_cast<std::size_t>(c)]);
}

void GridModel::SetRowHeaders(const std::vector<std::string>& headers)
{
    if (ColCount() == 0)
        return;
    const int n = std::min(RowCount(), static_cast<int>(headers.size()));
    for (int r = 0; r < n; ++r)
        cells_.setText(0, r, headers[static_cast<std::size_t>(r)]);
}

void GridModel::CellColors(int col, int row, CellDrawState state, GridBrush& brush, GridFont& font) const
{
    const bool fixed = col < FixedCols || row < FixedRows;
    brush.Color = fixed ? FixedColor : Color;
    font = fixed ? FixedFont : Font;
    if (!fixed && ShowSelection && state.selected) {
        brush.Color = SelectionColor;
        font.color = SelectionTextColor;
    }
    if (OnGetCellColor)
        OnGetCellColor(*this, row, col, state, brush, font);
}

void GridModel::PrintColors(int col, int row, GridBrush& brush, GridFont& font) const
{
    const bool fixed = col < FixedCols || row < FixedRows;
    brush.Color = Color;
    font = fixed ? FixedFont : Font;
    if (OnGetCellPrintColor) {
        CellDrawState state;
        state.fixed = fixed;
        OnGetCellPrintColor(*this, row, col, state, brush, font);
    }
}

void GridModel::CellAlignment(int col, int row, HorizontalAlignment& hAlign, VerticalAlignment& vAlign) const
{
    hAlign = HorizontalAlignment::Left;
    vAlign = VAlignment;
    if (OnGetAlignment)
        OnGetAlignment(*this, row, col, hAlign, vAlign);
}

} // namespace velmora
