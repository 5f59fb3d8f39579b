#pragma once

#include "view/grid_model.h"
#include "view/print_canvas.h"
#include "view/print_cell_sink.h"
#include "view/screen_units.h"

#include <array>
#include <functional>
#include <memory>
#include <unordered_map>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The chart's and the legend's print settings.
GridPrintSettings ChartPrintSettings();
GridPrintSettings LegendPrintSettings();

// Rounds to the nearest integer, a half to the even neighbour.
int RoundEven(double value);
// A printable extent in tenths of a millimetre from printer pixels and dots per inch.
int PaperExtent(int pixels, int dpi);
// The character height on paper of a font of `points` points: fonts keep their point size.
int PaperFontHeight(int points);

struct PrintDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The system's separators, which "/" and ":" of a date or time format stand for.
struct PrintLocale {
    std::string dateSeparator = ".";
    std::string timeSeparator = ":";
};

// Formats with the tokens d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss, "/" and ":"; any other
// character is copied.
std::string FormatDateTime(std::string_view format, const PrintDateTime& when, const PrintLocale& locale);

struct PrintJobSetup {
    // The printable area of the page in tenths of a millimetre (see PaperExtent).
    int pageWidth = 0;
    int pageHeight = 0;
    // The resolution in which the grid's column widths and row heights are measured.
    int screenDpi = kScreenDpi;
    // Read anew for every page; empty gives a fixed moment.
    std::function<PrintDateTime()> clock;
    PrintLocale locale;
    // What the pages' cells are drawn through on the canvas; empty: a PrintPageBatch, which
    // joins neighbouring fills, texts and lines a page at a time.
    std::function<std::unique_ptr<PrintCellSink>(PrintCanvas& canvas)> cells;
    // Told after each page of the printing pass: the pages done and the page count.
    std::function<void(int done, int pageCount)> progress;
};

// The columns one strip of pages carries: `first` to `last`, with the fixed column repeated in
// front when `repeatsFixed`; `left` is the x at which the strip begins on its pages.
struct PrintStrip {
    int first = 0;
    int last = 0;
    bool repeatsFixed = false;
    int left = 0;
};

// Lays a grid out on pages and prints it through a canvas: the counting pass measures only, the
// printing pass draws and starts a new page between pages. Both passes lay out identically.
class PrintLayout {
public:
    // Throws std::invalid_argument for a page or resolution that cannot be laid out on.
    PrintLayout(const GridModel& grid, PrintCanvas& canvas, PrintJobSetup setup);

    int CountPages();
    void PrintPages(int pageCount);

    const std::vector<PrintStrip>& Strips() const { return strips_; }
    int ColWidth(int col) const { return colWidth_[static_cast<std::size_t>(col)]; }
    // A column takes its paper width, the column spacing and a 2 mm gap.
    int ColPitch(int col) const { return ColWidth(col) + settings_.ColumnSpacing + kColumnGap; }
    int RowHeight(int row) const { return rowHeight_[static_cast<std::size_t>(row)]; }
    int RowPitch(int row) const;
    int HeaderReserve() const { return headerReserve_; }
    int FooterReserve() const { return footerReserve_; }
    // An eighth of the line height of the print settings' font (about 0.4 mm): the unit of the
    // room around rows, headers and footers.
    int SpacingUnit() const { return spacingUnit_; }
    // Left x of the strip's columns, by column index; the entry after the last column is its end.
    int ColumnX(const PrintStrip& strip, int col) const;

private:
    static constexpr int kColumnGap = 20;

    // Measuring and cutting into strips, once for both passes.
    void MeasureHeaderAndFooter();
    void ConvertCellSizes();
    void CutIntoStrips();
    PrintStrip StripFrom(int first) const;
    void PlaceStripColumns(const PrintStrip& strip);

    // The pages: returns the number of pages; draws them only when `drawing`.
    int Run(bool drawing, int pageCount);
    void SetPageColumns(const PrintStrip& strip);
    void StartPage(int page, int pageCount, int pageInStrip, int strip);
    // Lays out the rows of one page from `row` on; returns the row the next page begins with.
    int LayPageRows(const PrintStrip& strip, int row, bool drawing);
    void FinishPage(int page, int pageCount);
    // The grid's lines over the cells, each as far as it crosses the page's cells.
    void DrawOverLines(const PrintStrip& strip);

    // The header and footer texts by position: top-left, top-right, top-centre, bottom-left,
    // bottom-right, bottom-centre, as PrintPosition counts them after None.
    std::array<std::string, 6> HeaderFooterTexts(int page, int pageCount, int pageInStrip, int strip) const;
    std::string PageNumberText(int page, int pageCount, int pageInStrip, int strip) const;
    void DrawHeaderFooter(int page, int pageCount, int pageInStrip, int strip);

    // A row, and each of its cells in the painting order: fill, text, lines.
    void PrintRow(const PrintStrip& strip, int row, int y);
    void PrintCell(int col, int row, int pageColumn, const PaperRect& rect);
    void PrintPlainText(const std::string& text, const PaperFont& font, HorizontalAlignment hAlign, VerticalAlignment vAlign,
                        const PaperRect& rect);
    void PrintTurnedText(const std::string& text, const PaperFont& font, const PaperRect& rect);
    void PrintCellBorders(int col, int row, int pageColumn);

    int MeasureLineHeight(const PaperFont& font);
    int MeasureWidth(const PaperFont& font, const std::string& text);

    // Every font and text is measured once: a chart prints a few symbols a million times.
    struct Measured {
        PaperFont font;
        int lineHeight = 0;
        std::array<int, 256> oneByteWidths; // -1: not measured yet
        std::unordered_map<std::string, int> widths;
    };
    Measured& MeasuredFont(const PaperFont& font);

    const GridModel& grid_;
    PrintCanvas& canvas_;
    PrintJobSetup setup_;
    const GridPrintSettings& settings_;
    double tenthsMmPerScreenPixel_ = 0;
    int spacingUnit_ = 0;
    int headerLineHeight_ = 0;
    int footerLineHeight_ = 0;
    int headerReserve_ = 0;
    int footerReserve_ = 0;
    std::vector<int> colWidth_;
    std::vector<int> rowHeight_;
    std::vector<PrintStrip> strips_;
    std::vector<int> columnX_; // left x of each column within its own strip; one more for the end
    std::vector<Measured> measured_;
    std::size_t lastMeasured_ = 0;
    std::vector<int> pageColumnX_; // the columns of the strip being printed, the repeated one first
    // The normal rows of the page being printed: the first, and the top of each from it on, one
    // more for the last one's bottom.
    int pageFirstRow_ = 0;
    std::vector<int> pageRowY_;
    std::unique_ptr<PrintCellSink> cells_;
};

// The counting pass and then the printing pass; returns the number of pages.
int PrintGridPages(const GridModel& grid, PrintCanvas& canvas, const PrintJobSetup& setup);

} // namespace velmora
