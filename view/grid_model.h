#pragma once

#include "scheme/cell_table.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// A colour as the grid and its fonts keep it: a 24-bit colour value R + 256·G + 65536·B, or, with
// 0xFF in the high byte, the number of a system colour that the shell resolves when it draws.
using ColorValue = std::uint32_t;

constexpr ColorValue kSystemColorFlag = 0xFF000000;
constexpr ColorValue SystemColor(std::uint32_t index) { return kSystemColorFlag | index; }
constexpr bool IsSystemColor(ColorValue c) { return (c & 0xFF000000) == kSystemColorFlag; }

// The system colours the grids use, numbered as the platform's colour indices.
enum class SystemColorIndex : std::uint32_t {
    Window = 5,
    WindowText = 8,
    Highlight = 13,
    HighlightText = 14,
    ButtonFace = 15,
    ButtonShadow = 16,
    ButtonText = 18,
};
constexpr ColorValue SystemColor(SystemColorIndex index) { return SystemColor(static_cast<std::uint32_t>(index)); }
constexpr SystemColorIndex SystemColorIndexOf(ColorValue c) { return static_cast<SystemColorIndex>(c & 0xFFFFFFu); }

constexpr ColorValue clWindow = SystemColor(SystemColorIndex::Window);
constexpr ColorValue clWindowText = SystemColor(SystemColorIndex::WindowText);
constexpr ColorValue clHighlight = SystemColor(SystemColorIndex::Highlight);
constexpr ColorValue clHighlightText = SystemColor(SystemColorIndex::HighlightText);
constexpr ColorValue clBtnFace = SystemColor(SystemColorIndex::ButtonFace);

constexpr ColorValue clWhite = 0xFFFFFF;
constexpr ColorValue clBlack = 0x000000;
constexpr ColorValue clSilver = 12632256; // R = G = B = 192
constexpr ColorValue clGray = 8421504;    // R = G = B = 128

// Character sets of fonts, as the platform numbers them.
constexpr int kAnsiCharset = 0;
constexpr int kDefaultCharset = 1;
constexpr int kSymbolCharset = 2;
constexpr int kRussianCharset = 204;

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

// A font as plain data. Sizes are points; pixel heights follow at 96 dots per inch.
struct GridFont {
    std::string name = "Arial";
    FontStyle style;
    int size = 10;
    int charset = kDefaultCharset;
    ColorValue color = clWindowText;

    // The character height in pixels at 96 dpi, rounded as the platform's MulDiv does.
    int PixelHeight() const;
    // The point size whose pixel height at 96 dpi is `pixels` (an 8-pixel font is 6 pt).
    static int SizeForPixelHeight(int pixels);

    friend bool operator==(const GridFont&, const GridFont&) = default;
};

struct GridBrush {
    ColorValue Color = clWindow;
};

struct GridPen {
    ColorValue Color = clBlack;
    int Width = 1;
};

enum class HorizontalAlignment { Left, Right, Center };
enum class VerticalAlignment { Top, Center, Bottom };

struct CellDrawState {
    bool selected = false;
    bool focused = false;
    bool fixed = false;
};

struct CellBorders {
    bool top = false;
    bool left = false;
    bool right = false;
    bool bottom = false;
};

// A pen for each edge of a printed cell, for grids whose lines differ along one cell.
struct CellEdgePens {
    GridPen left;
    GridPen right;
    GridPen top;
    GridPen bottom;
};

enum class PrintPosition { None, TopLeft, TopRight, TopCenter, BottomLeft, BottomRight, BottomCenter };
enum class PageOrientation { Portrait, Landscape };
enum class PrintBorders { None, Single };
enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot };

// What the print operation keeps with a grid. Lengths are tenths of a millimetre on paper. The
// defaults are the chart's; view/print_layout.h gives the chart's and the legend's sets.
struct GridPrintSettings {
    PageOrientation Orientation = PageOrientation::Landscape;
    int HeaderSize = 100;
    int FooterSize = 100;
    int LeftSize = 100;
    int RightSize = 200;
    int ColumnSpacing = 0;
    int RowSpacing = 0;
    int TitleSpacing = 0;
    PrintPosition Time = PrintPosition::BottomLeft;
    PrintPosition Date = PrintPosition::BottomLeft;
    std::string DateFormat = "dd/mm/yyyy";
    PrintPosition PageNr = PrintPosition::BottomRight;
    std::string PageNumSep = "/";
    std::string PagePrefix;
    std::string PageSuffix;
    int PageNumberOffset = 0;
    int MaxPagesOffset = 0;
    PrintPosition Title = PrintPosition::None;
    std::string TitleText;
    std::vector<std::string> TitleLines{"TITLE TEXT"};
    GridFont HeaderFont{"Arial", {true, false, false, false}, 14, kRussianCharset, clWindowText};
    GridFont FooterFont{"Arial", {}, 10, kRussianCharset, clWindowText};
    GridFont Font{"MS Sans Serif", {}, 8, kDefaultCharset, clWindowText};
    PrintBorders Borders = PrintBorders::Single;
    PenStyle BorderStyle = PenStyle::Solid;
    bool Centered = false;
    bool RepeatFixedRows = true;
    bool RepeatFixedCols = true;
    bool PrintGraphics = true;
    std::string JobName;
    // A grid of many cell colours and two inks (a colour chart): a printed page is put together
    // for that, its fills over one background of the commonest colour and the texts of a row ink
    // by ink rather than cell by cell. The page looks the same: no cell's fill or text reaches
    // into another cell.
    bool ColourChart = false;
};

class GridModel;

// A straight line drawn over the normal cells, after all of their painting, on screen and on
// paper: from one corner of their grid to another. Corner (0, 0) is the top-left corner of cell
// (FixedCols, FixedRows), corner (x, y) that of cell (FixedCols + x, FixedRows + y). It is drawn
// in `color` over a wider stroke of `outline`; the widths follow the cells' size (OverLineWidths).
struct GridOverLine {
    int x1 = 0, y1 = 0;
    int x2 = 0, y2 = 0;
    ColorValue color = clBlack;
    ColorValue outline = clWhite;
    friend bool operator==(const GridOverLine&, const GridOverLine&) = default;
};

// The callbacks through which the owner of a grid changes its drawing. They pass the row before
// the column, as the grid always has.
using GridColorEvent =
    std::function<void(const GridModel& Sender, int ARow, int ACol, CellDrawState AState, GridBrush& ABrush,
                       GridFont& AFont)>;
using GridAlignEvent =
    std::function<void(const GridModel& Sender, int ARow, int ACol, HorizontalAlignment& HAlign, VerticalAlignment& VAlign)>;
using GridBorderEvent =
    std::function<void(const GridModel& Sender, int ARow, int ACol, GridPen& APen, CellBorders& Borders)>;
// Called after OnGetCellPrintBorder with its pen on every edge; may give single edges their own.
using GridEdgePensEvent = std::function<void(const GridModel& Sender, int ARow, int ACol, CellEdgePens& Pens)>;

// The data of a string grid with one fixed row and one fixed column: the cells, the sizes of
// columns and rows, the display settings and the current cell. Screen and paper read the same
// model, so everything here is free of any toolkit.
class GridModel {
public:
    static constexpr int FixedCols = 1;
    static constexpr int FixedRows = 1;

    // A new grid of 5 × 5 cells of the default sizes, as a grid is before it is designed.
    GridModel();

    int ColCount() const { return cells_.columns(); }
    int RowCount() const { return cells_.rows(); }
    // Columns and rows that a count adds take the default size; the texts that remain are kept.
    // A negative count or a table beyond CellTable::kMaxCells throws.
    void SetColCount(int count);
    void SetRowCount(int count);

    // The texts (Windows-1251); outside the grid they throw std::out_of_range.
    std::string Cells(int col, int row) const { return cells_.text(col, row); }
    void SetCell(int col, int row, std::string_view text);
    // Whether the cell's text is turned, and its angle in degrees (0 when it is not).
    bool IsRotated(int col, int row) const;
    int CellAngle(int col, int row) const;

    const CellTable& cellTable() const { return cells_; }
    // Installs a whole new table: the counts become the table's, the sizes of the columns and rows
    // that existed stay, new ones take the default size.
    void setCellTable(CellTable table);

    // Sizes in screen pixels.
    int ColWidth(int col) const;
    int RowHeight(int row) const;
    void SetColWidth(int col, int width);
    void SetRowHeight(int row, int height);
    int DefaultColWidth() const { return defaultColWidth_; }
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Setting a default size gives it to every normal column (row); the fixed sizes go to column
    // 0 (row 0).
    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);
    void SetFixedColWidth(int width);
    void SetFixedRowHeight(int height);
    // Left edge of `col` and top edge of `row` from the grid's origin; col == ColCount() gives the
    // total width.
    std::int64_t ColLeft(int col) const;
    std::int64_t RowTop(int row) const;
    std::int64_t TotalWidth() const { return ColLeft(ColCount()); }
    std::int64_t TotalHeight() const { return RowTop(RowCount()); }
    // The column holding x (the row holding y), counted from the grid's origin; clamped into the
    // grid. Logarithmic in the count.
    int ColAt(std::int64_t x) const;
    int RowAt(std::int64_t y) const;

    // The current cell; it never lies in the fixed row or column while the grid has normal cells.
    int Col() const { return col_; }
    int Row() const { return row_; }
    // Moves the current cell to (col, row), clamped into the normal cells.
    void SetCurrent(int col, int row);
    void SetRow(int row) { SetCurrent(col_, row); }
    void SetCol(int col) { SetCurrent(col, row_); }

    // Writes the headers into row 0 and column 0 as far as the grid reaches.
    void SetColumnHeaders(const std::vector<std::string>& headers);
    void SetRowHeaders(const std::vector<std::string>& headers);

    // Display settings.
    GridFont Font;
    GridFont FixedFont;
    ColorValue Color = clWindow;
    ColorValue FixedColor = clBtnFace;
    ColorValue GridLineColor = clSilver;
    int GridLineWidth = 1;
    // The lines of the fixed cells are always these.
    static constexpr ColorValue FixedLineColor = clGray;
    static constexpr int FixedLineWidth = 1;
    VerticalAlignment VAlignment = VerticalAlignment::Top;
    bool ShowSelection = false;
    ColorValue SelectionColor = clHighlight;
    ColorValue SelectionTextColor = clHighlightText;
    GridPrintSettings PrintSettings;
    // Lines over the cells, drawn in this order; none by default.
    std::vector<GridOverLine> OverLines;

    // Callbacks; empty ones do nothing. OnDrawCell, which needs a canvas, lives with the widget.
    GridColorEvent OnGetCellColor;
    GridColorEvent OnGetCellPrintColor;
    GridAlignEvent OnGetAlignment;
    GridBorderEvent OnGetCellPrintBorder;
    GridEdgePensEvent OnGetCellPrintEdgePens;

    // The brush and font a cell starts its painting on screen with: the fixed or the normal ones,
    // fresh for every cell, the selection's when shown; then OnGetCellColor may change them.
    void CellColors(int col, int row, CellDrawState state, GridBrush& brush, GridFont& font) const;
    // The brush and font a cell prints with: paper takes the window colour for every cell (fixed
    // and selection colours are screen-only) and the fixed or normal font; then
    // OnGetCellPrintColor may change them.
    void PrintColors(int col, int row, GridBrush& brush, GridFont& font) const;
    // The alignment of a cell's text: left and the grid's VAlignment, then OnGetAlignment.
    void CellAlignment(int col, int row, HorizontalAlignment& hAlign, VerticalAlignment& vAlign) const;

private:
    static void Resize(std::vector<int>& sizes, int count, int defaultSize);
    void RebuildEdges(std::vector<int> const& sizes, std::vector<std::int64_t>& edges);
    static int IndexAt(const std::vector<std::int64_t>& edges, std::int64_t pos);
    void ClampCurrent();

    CellTable cells_;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    std::vector<std::int64_t> colEdges_; // ColCount() + 1 running sums
    std::vector<std::int64_t> rowEdges_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int col_ = 1;
    int row_ = 1;
};

} // namespace velmora
