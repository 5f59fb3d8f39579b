#pragma once

#include "view/grid_model.h"
#include "view/print_canvas.h"
#include "view/print_cell_sink.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Collects the cells of one printed page and puts them on the canvas with few operations: the
// fills of neighbouring cells of one colour as one rectangle, the texts of a row in one font as
// one run, and the lines that continue from cell to cell in one pen as one line.
//
// What the page shows stays what drawing cell after cell shows. Cells lie edge to edge, each
// filled before its own texts and lines, and every edge a cell draws covers what an earlier cell
// drew there; so the page is all fills, then the texts in cell order, then on every edge the pen
// that drew it last. Where lines of two pens cross, the wider stays on top, and of two pens of one
// width the one whose last piece was drawn later, as it would cell by cell. (Cell by cell a thin
// edge drawn after a heavier line across it would break that line; joined, it does not. A cell
// that left one of its edges out would, cell by cell, have half covered its neighbour's line there
// with its fill; joined, that line shows whole. The chart and the legend draw every edge of every
// cell.)
class PrintPageBatch final : public PrintCellSink {
public:
    // `colourChart`: the page's fills go over one background of its commonest colour, and the
    // texts of each row font by font, in the order the fonts first appear in the row, instead of
    // in cell order.
    explicit PrintPageBatch(PrintCanvas& canvas, bool colourChart = false) : canvas_(canvas), colourChart_(colourChart)
    {
    }

    void BeginPage(std::span<const int> columnX) override;
    void BeginRow(int top, int bottom) override;
    void Fill(int column, ColorValue color) override;
    void Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect& clip) override;
    void Borders(int column, const GridPen& pen, PenStyle style, const CellBorders& borders) override;
    void Borders(int column, const CellEdgePens& pens, PenStyle style, const CellBorders& borders) override;
    // Draws what the page collected.
    void EndPage() override;

private:
    struct Edge {
        std::int32_t pen = -1; // index into pens_; -1: no line
        std::uint32_t order = 0;
    };
    struct PenOf {
        GridPen pen;
        PenStyle style;
    };
    struct QueuedText {
        int font;
        int row;
        int x, y;
        std::string text;
        PaperRect clip;
    };
    struct Run {
        std::uint32_t order;
        int pen;
        int x1, y1, x2, y2;
    };

    int PenIndex(const GridPen& pen, PenStyle style);
    int FontIndex(const PaperFont& font);
    void DrawFills();
    // The commonest fill of a page whose cells are all filled and lie edge to edge, if any.
    std::optional<ColorValue> Background() const;
    void DrawTexts();
    void DrawRowTextsByFont(std::size_t first, std::size_t end);
    void DrawLines();
    Edge& Horizontal(int boundary, int column) { return hEdges_[static_cast<std::size_t>(boundary) * columns_ + column]; }
    Edge& Vertical(int row, int boundary) { return vEdges_[static_cast<std::size_t>(row) * (columns_ + 1) + boundary]; }

    PrintCanvas& canvas_;
    bool colourChart_;
    std::vector<int> rowFonts_;
    std::vector<int> columnX_;
    int columns_ = 0;
    std::vector<int> boundaryY_;      // the y of every horizontal boundary between rows
    std::vector<int> rowTop_;         // per row: the index of its top boundary; its bottom is the next
    std::vector<ColorValue> fills_;       // per cell, row by row
    std::vector<bool> filled_;
    std::vector<Edge> hEdges_;        // per boundary and column
    std::vector<Edge> vEdges_;        // per row and column boundary
    std::vector<PenOf> pens_;
    std::vector<PaperFont> fonts_;
    std::vector<QueuedText> texts_;
    std::vector<Run> runs_;
    std::vector<PlacedText> placed_;
    std::uint32_t order_ = 0;
};

} // namespace velmora
