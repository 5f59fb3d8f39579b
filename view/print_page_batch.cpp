#include "view/print_page_batch.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace velmora {

void PrintPageBatch::BeginPage(std::span<const int> columnX)
{
    if (columnX.size() < 2)
        throw std::logic_error("a printed page needs at least one column");
    columnX_.assign(columnX.begin(), columnX.end());
    columns_ = static_cast<int>(columnX_.size()) - 1;
    boundaryY_.clear();
    rowTop_.clear();
    fills_.clear();
    filled_.clear();
    hEdges_.clear();
    vEdges_.clear();
    texts_.clear();
    order_ = 0;
}

void PrintPageBatch::BeginRow(int top, int bottom)
{
    // A row that starts where the one before ended shares that boundary, and so its lines.
    if (boundaryY_.empty() || boundaryY_.back() != top) {
        boundaryY_.push_back(top);
        hEdges_.resize(hEdges_.size() + static_cast<std::size_t>(columns_));
    }
    rowTop_.push_back(static_cast<int>(boundaryY_.size()) - 1);
    boundaryY_.push_back(bottom);
    hEdges_.resize(hEdges_.size() + static_cast<std::size_t>(columns_));
    vEdges_.resize(vEdges_.size() + static_cast<std::size_t>(columns_) + 1);
    fills_.resize(fills_.size() + static_cast<std::size_t>(columns_));
    filled_.resize(filled_.size() + static_cast<std::size_t>(columns_), false);
}

void PrintPageBatch::Fill(int column, ColorValue color)
{
    const std::size_t cell = (rowTop_.size() - 1) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
    fills_[cell] = color;
    filled_[cell] = true;
}

int PrintPageBatch::FontIndex(const PaperFont& font)
{
    // A page uses a handful of fonts; the last one is asked for again most of the time.
    for (std::size_t i = fonts_.size(); i-- > 0;)
        if (fonts_[i] == font)
            return static_cast<int>(i);
    fonts_.push_back(font);
    return static_cast<int>(fonts_.size()) - 1;
}

void PrintPageBatch::Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect& clip)
{
    const int index = !texts_.empty() && fonts_[static_cast<std::size_t>(texts_.back().font)] == font
                          ? texts_.back().font
                          : FontIndex(font);
    texts_.push_back({index, static_cast<int>(rowTop_.size()), x, y, std::string(text), clip});
}

int PrintPageBatch::PenIndex(const GridPen& pen, PenStyle style)
{
    for (std::size_t i = 0; i < pens_.size(); ++i)
        if (pens_[i].pen.Color == pen.Color && pens_[i].pen.Width == pen.Width && pens_[i].style == style)
            return static_cast<int>(i);
    pens_.push_back({pen, style});
    return static_cast<int>(pens_.size()) - 1;
}

void PrintPageBatch::Borders(int column, const GridPen& pen, PenStyle style, const CellBorders& borders)
{
    const int row = static_cast<int>(rowTop_.size()) - 1;
    const int top = rowTop_.back();
    const std::int32_t index = PenIndex(pen, style);
    // The order a cell draws its edges in: left, right, top, bottom.
    if (borders.left)
        Vertical(row, column) = {index, ++order_};
    if (borders.right)
        Vertical(row, column + 1) = {index, ++order_};
    if (borders.top)
        Horizontal(top, column) = {index, ++order_};
    if (borders.bottom)
        Horizontal(top + 1, column) = {index, ++order_};
}

void PrintPageBatch::Borders(int column, const CellEdgePens& pens, PenStyle style, const CellBorders& borders)
{
    const int row = static_cast<int>(rowTop_.size()) - 1;
    const int top = rowTop_.back();
    // In the order a cell draws its edges, as above.
    if (borders.left)
        Vertical(row, column) = {PenIndex(pens.left, style), ++order_};
    if (borders.right)
        Vertical(row, column + 1) = {PenIndex(pens.right, style), ++order_};
    if (borders.top)
        Horizontal(top, column) = {PenIndex(pens.top, style), ++order_};
    if (borders.bottom)
        Horizontal(top + 1, column) = {PenIndex(pens.bottom, style), ++order_};
}

void PrintPageBatch::EndPage()
{
    if (rowTop_.empty())
        return;
    DrawFills();
    DrawTexts();
    DrawLines();
}

void PrintPageBatch::DrawFills()
{
    struct Rect {
        PaperRect rect;
        ColorValue color;
    };
    std::vector<Rect> rects;
    std::vector<std::size_t> open;     // rectangles that end at the bottom of the row before
    std::vector<std::size_t> nextOpen;
    // Cells of the background's colour need no rectangle of their own.
    const std::optional<ColorValue> background = colourChart_ ? Background() : std::nullopt;
    if (background)
        rects.push_back({{columnX_.front(), boundaryY_[static_cast<std::size_t>(rowTop_.front())], columnX_.back(),
                          boundaryY_[static_cast<std::size_t>(rowTop_.back()) + 1]},
                         *background});
    const auto ownFill = [&](std::size_t cell) { return filled_[cell] && !(background && fills_[cell] == *background); };
    for (std::size_t row = 0; row < rowTop_.size(); ++row) {
        const int top = boundaryY_[static_cast<std::size_t>(rowTop_[row])];
        const int bottom = boundaryY_[static_cast<std::size_t>(rowTop_[row]) + 1];
        nextOpen.clear();
        const std::size_t base = row * static_cast<std::size_t>(columns_);
        for (int c = 0; c < columns_;) {
            if (!ownFill(base + static_cast<std::size_t>(c))) {
                ++c;
                continue;
            }
            const ColorValue color = fills_[base + static_cast<std::size_t>(c)];
            int end = c + 1;
            while (end < columns_ && ownFill(base + static_cast<std::size_t>(end)) &&
                   fills_[base + static_cast<std::size_t>(end)] == color)
                ++end;
            const int left = columnX_[static_cast<std::size_t>(c)];
            const int right = columnX_[static_cast<std::size_t>(end)];
            const auto same = std::find_if(open.begin(), open.end(), [&](std::size_t i) {
                const Rect& r = rects[i];
                return r.color == color && r.rect.left == left && r.rect.right == right && r.rect.bottom == top;
            });
            if (same != open.end()) {
                rects[*same].rect.bottom = bottom;
                nextOpen.push_back(*same);
            } else {
                rects.push_back({{left, top, right, bottom}, color});
                nextOpen.push_back(rects.size() - 1);
            }
            c = end;
        }
        open.swap(nextOpen);
    }
    for (const Rect& r : rects)
        canvas_.FillRect(r.rect, r.color);
}

std::optional<ColorValue> PrintPageBatch::Background() const
{
    for (std::size_t row = 1; row < rowTop_.size(); ++row)
        if (rowTop_[row] != rowTop_[row - 1] + 1)
            return std::nullopt;
    if (std::find(filled_.begin(), filled_.end(), false) != filled_.end())
        return std::nullopt;
    std::unordered_map<ColorValue, int> counts;
    std::optional<ColorValue> commonest;
    int most = 0;
    for (const ColorValue color : fills_)
        if (const int n = ++counts[color]; n > most) {
            most = n;
            commonest = color;
        }
    return commonest;
}

void PrintPageBatch::DrawTexts()
{
    if (colourChart_) {
        for (std::size_t i = 0; i < texts_.size();) {
            std::size_t end = i + 1;
            while (end < texts_.size() && texts_[end].row == texts_[i].row)
                ++end;
            DrawRowTextsByFont(i, end);
            i = end;
        }
        return;
    }
    for (std::size_t i = 0; i < texts_.size();) {
        const int font = texts_[i].font;
        placed_.clear();
        for (; i < texts_.size() && texts_[i].font == font; ++i)
            placed_.push_back({texts_[i].x, texts_[i].y, texts_[i].text, texts_[i].clip});
        canvas_.TextRun(fonts_[static_cast<std::size_t>(font)], placed_);
    }
}

void PrintPageBatch::DrawRowTextsByFont(std::size_t first, std::size_t end)
{
    rowFonts_.clear();
    for (std::size_t i = first; i < end; ++i)
        if (std::find(rowFonts_.begin(), rowFonts_.end(), texts_[i].font) == rowFonts_.end())
            rowFonts_.push_back(texts_[i].font);
    for (const int font : rowFonts_) {
        placed_.clear();
        for (std::size_t i = first; i < end; ++i)
            if (texts_[i].font == font)
                placed_.push_back({texts_[i].x, texts_[i].y, texts_[i].text, texts_[i].clip});
        canvas_.TextRun(fonts_[static_cast<std::size_t>(font)], placed_);
    }
}

void PrintPageBatch::DrawLines()
{
    runs_.clear();
    // Only solid lines are joined: a dashed line drawn in one piece would shift its dashes.
    const auto joins = [&](int pen) { return pens_[static_cast<std::size_t>(pen)].style == PenStyle::Solid; };
    const int boundaries = static_cast<int>(boundaryY_.size());
    for (int b = 0; b < boundaries; ++b) {
        const int y = boundaryY_[static_cast<std::size_t>(b)];
        for (int c = 0; c < columns_;) {
            const Edge first = Horizontal(b, c);
            if (first.pen < 0) {
                ++c;
                continue;
            }
            std::uint32_t order = first.order;
            int end = c + 1;
            while (end < columns_ && joins(first.pen) && Horizontal(b, end).pen == first.pen)
                order = std::max(order, Horizontal(b, end++).order);
            runs_.push_back({order, first.pen, columnX_[static_cast<std::size_t>(c)], y,
                             columnX_[static_cast<std::size_t>(end)], y});
            c = end;
        }
    }
    const int rows = static_cast<int>(rowTop_.size());
    for (int c = 0; c <= columns_; ++c) {
        const int x = columnX_[static_cast<std::size_t>(c)];
        for (int r = 0; r < rows;) {
            const Edge first = Vertical(r, c);
            if (first.pen < 0) {
                ++r;
                continue;
            }
            std::uint32_t order = first.order;
            int end = r + 1;
            while (end < rows && joins(first.pen) && rowTop_[static_cast<std::size_t>(end)] == rowTop_[static_cast<std::size_t>(end) - 1] + 1 &&
                   Vertical(end, c).pen == first.pen)
                order = std::max(order, Vertical(end++, c).order);
            runs_.push_back({order, first.pen, x, boundaryY_[static_cast<std::size_t>(rowTop_[static_cast<std::size_t>(r)])],
                             x, boundaryY_[static_cast<std::size_t>(rowTop_[static_cast<std::size_t>(end) - 1]) + 1]});
            r = end;
        }
    }
    // A wider pen stays on top where lines cross, so that no thin line breaks a heavier one (a
    // ten-stitch line); among pens of one width, the later line.
    std::sort(runs_.begin(), runs_.end(), [this](const Run& a, const Run& b) {
        const int wa = pens_[static_cast<std::size_t>(a.pen)].pen.Width;
        const int wb = pens_[static_cast<std::size_t>(b.pen)].pen.Width;
        return wa != wb ? wa < wb : a.order < b.order;
    });
    for (const Run& run : runs_) {
        const PenOf& p = pens_[static_cast<std::size_t>(run.pen)];
        canvas_.Line(run.x1, run.y1, run.x2, run.y2, p.pen, p.style);
    }
}

} // namespace velmora
