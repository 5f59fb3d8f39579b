#pragma once

#include "view/grid_model.h"
#include "view/print_canvas.h"
#include "view/print_page_batch.h"

#include <array>
#include <functional>
#include <optional>
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
    int pageWidth = 0;  // PW
    int pageHeight = 0; // PH
    // The resolution in which the grid's column widths and row heights are measured.
    int screenDpi = 96;
    // Read anew for every page; empty gives a fixed moment.
    std::function<PrintDateTime()> clock;
    PrintLocale locale;
    // Draws every cell as it is laid out, one call for each fill, text and line, instead of a
    // page at a time with neighbouring lines and fills joined: the plain way, which the joined
    // pages are checked against.
    bool cellByCell = false;
    // Told after each page of the printing pass: the pages done and the page count.
    std::function<void(int done, int pageCount)> progress;
};

// The columns of one strip: f to l, with the fixed column repeated in front when `repeatsFixed`.
struct PrintStrip {
    int first = 0;
    int last = 0;
    bool repeatsFixed = false;
    int x0 = 0;
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
    int ColPitch(int col) const { return ColWidth(col) + settings_.ColumnSpacing + 20; }
    int RowHeight(int row) const { return rowHeight_[static_cast<std::size_t>(row)]; }
    int RowPitch(int row) const;
    int HeaderReserve() const { return headerReserve_; }
    int FooterReserve() const { return footerReserve_; }
    int SpacingUnit() const { return g_; }
    // Left x of the strip's columns, by column index; the entry after the last column is its end.
    int ColumnX(const PrintStrip& strip, int col) const;

private:
    int Run(bool drawing, int pageCount);
    void DrawHeaderFooter(int page, int pageCount, int pageInStrip, int strip);
    void PrintRow(const PrintStrip& strip, int row, int y);
    void PrintCell(int col, int row, int pageColumn, const PaperRect& rect);
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
    double k_ = 0;
    int g_ = 0;
    int hH_ = 0;
    int hF_ = 0;
    int headerReserve_ = 0;
    int footerReserve_ = 0;
    std::vector<int> colWidth_;
    std::vector<int> rowHeight_;
    std::vector<PrintStrip> strips_;
    std::vector<int> stripX_; // left x of each column within its own strip; one more for the end
    std::vector<Measured> measured_;
    std::size_t lastMeasured_ = 0;
    std::vector<int> pageColumnX_; // the columns of the strip being printed, the repeated one first
    std::optional<PrintPageBatch> batch_;
};

// The counting pass and then the printing pass; returns the number of pages.
int PrintGridPages(const GridModel& grid, PrintCanvas& canvas, const PrintJobSetup& setup);

} // namespace velmora
