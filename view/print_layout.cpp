#include "view/print_layout.h"

#include "scheme/cp1251.h"
#include "view/cell_text_placement.h"
#include "view/chart_look.h"
#include "view/print_page_batch.h"
#include "view/screen_units.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <stdexcept>

namespace velmora {

namespace {

// A cell prints as large as the screen shows it less 4 pixels; on paper the column gap, the row's
// added eighth and the spacing unit then give it room.
constexpr int kUnprintedScreenPixels = 4;
// A plain text keeps 0.4 mm from the sides of its column.
constexpr int kTextInset = 4;
// A right header or footer text ends 2 mm before the right margin.
constexpr int kRightTextGap = 20;

// Truncated eighths measure the vertical spacing: the spacing unit is an eighth of the line height
// of the print settings' font, a row is an eighth of its height taller on paper, and a line of
// cell text takes an eighth of its height more.
int OneEighth(int length) { return length / 8; }

// A font as it is put on paper: it keeps its point size.
PaperFont OnPaper(const GridFont& font, int angle = 0) { return {font, PaperFontHeight(font.size), angle}; }

} // namespace

GridPrintSettings ChartPrintSettings() { return GridPrintSettings{}; }

GridPrintSettings LegendPrintSettings()
{
    GridPrintSettings s;
    s.Orientation = PageOrientation::Portrait;
    s.HeaderSize = 150;
    s.FooterSize = 150;
    s.LeftSize = 100;
    s.RightSize = 100;
    s.TitleSpacing = 50;
    s.Time = PrintPosition::None;
    s.Date = PrintPosition::None;
    s.PageNr = PrintPosition::None;
    s.Title = PrintPosition::TopCenter;
    s.TitleLines = {Utf8ToCp1251("Расшифровка сиволов")};
    s.Centered = true;
    return s;
}

int RoundEven(double value)
{
    const double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        throw std::out_of_range("A length on paper is out of range");
    return static_cast<int>(rounded);
}

int PaperExtent(int pixels, int dpi)
{
    if (dpi <= 0 || pixels < 0)
        throw std::invalid_argument("The printer reports no usable page size or resolution");
    return RoundEven(static_cast<double>(kTenthsMmPerInch) * pixels / dpi);
}

int PaperFontHeight(int points)
{
    return static_cast<int>(static_cast<std::int64_t>(points) * kTenthsMmPerInch / kPointsPerInch);
}

namespace {

void AppendNumber(std::string& out, int value, int digits)
{
    std::string text = std::to_string(value);
    while (static_cast<int>(text.size()) < digits)
        text.insert(text.begin(), '0');
    out += text;
}

bool IsLeft(PrintPosition p) { return p == PrintPosition::TopLeft || p == PrintPosition::BottomLeft; }
bool IsTop(PrintPosition p)
{
    return p == PrintPosition::TopLeft || p == PrintPosition::TopRight || p == PrintPosition::TopCenter;
}
bool IsBottom(PrintPosition p)
{
    return p == PrintPosition::BottomLeft || p == PrintPosition::BottomRight ||
           p == PrintPosition::BottomCenter;
}

} // namespace

std::string FormatDateTime(std::string_view format, const PrintDateTime& when, const PrintLocale& locale)
{
    std::string out;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        std::size_t run = 1;
        while (i + run < format.size() &&
               std::tolower(static_cast<unsigned char>(format[i + run])) == static_cast<unsigned char>(c))
            ++run;
        switch (c) {
        case 'd': AppendNumber(out, when.day, run >= 2 ? 2 : 1); break;
        case 'm': AppendNumber(out, when.month, run >= 2 ? 2 : 1); break;
        case 'h': AppendNumber(out, when.hour, run >= 2 ? 2 : 1); break;
        case 'n': AppendNumber(out, when.minute, run >= 2 ? 2 : 1); break;
        case 's': AppendNumber(out, when.second, run >= 2 ? 2 : 1); break;
        case 'y':
            if (run >= 3)
                AppendNumber(out, when.year, 4);
            else
                AppendNumber(out, when.year % 100, 2);
            break;
        case '/':
            for (std::size_t j = 0; j < run; ++j)
                out += locale.dateSeparator;
            break;
        case ':':
            for (std::size_t j = 0; j < run; ++j)
                out += locale.timeSeparator;
            break;
        default: out.append(format.substr(i, run)); break;
        }
        i += run;
    }
    return out;
}

PrintLayout::PrintLayout(const GridModel& grid, PrintCanvas& canvas, PrintJobSetup setup)
    : grid_(grid), canvas_(canvas), setup_(std::move(setup)), settings_(grid.PrintSettings)
{
    if (setup_.screenDpi <= 0)
        throw std::invalid_argument("The screen resolution must be positive");
    if (setup_.pageWidth <= 0 || setup_.pageHeight <= 0)
        throw std::invalid_argument("The printer reports an empty printable area");
    tenthsMmPerScreenPixel_ = static_cast<double>(kTenthsMmPerInch) / setup_.screenDpi;
    cells_ = setup_.cells ? setup_.cells(canvas_) : std::make_unique<PrintPageBatch>(canvas_, settings_.ColourChart);

    MeasureHeaderAndFooter();
    ConvertCellSizes();
    CutIntoStrips();
}

void PrintLayout::MeasureHeaderAndFooter()
{
    spacingUnit_ = OneEighth(canvas_.LineHeight(OnPaper(settings_.Font)));
    headerLineHeight_ = canvas_.LineHeight(OnPaper(settings_.HeaderFont));
    footerLineHeight_ = canvas_.LineHeight(OnPaper(settings_.FooterFont));
    bool anyTop = false;
    bool anyBottom = false;
    for (PrintPosition p : {settings_.Time, settings_.Date, settings_.PageNr, settings_.Title}) {
        anyTop = anyTop || IsTop(p);
        anyBottom = anyBottom || IsBottom(p);
    }
    headerReserve_ = settings_.HeaderSize + (anyTop ? headerLineHeight_ + spacingUnit_ : 0);
    // An empty footer still keeps one line's room.
    footerReserve_ = settings_.FooterSize + (anyBottom ? 2 * (footerLineHeight_ + spacingUnit_)
                                                       : footerLineHeight_ + spacingUnit_);
}

void PrintLayout::ConvertCellSizes()
{
    // The tables are as long as the grid needs, so every column of a wide chart is printed.
    const auto onPaper = [this](int screenPixels) {
        return RoundEven((screenPixels - kUnprintedScreenPixels) * tenthsMmPerScreenPixel_);
    };
    colWidth_.resize(static_cast<std::size_t>(grid_.ColCount()));
    for (int c = 0; c < grid_.ColCount(); ++c)
        colWidth_[static_cast<std::size_t>(c)] = onPaper(grid_.ColWidth(c));
    rowHeight_.resize(static_cast<std::size_t>(grid_.RowCount()));
    for (int r = 0; r < grid_.RowCount(); ++r)
        rowHeight_[static_cast<std::size_t>(r)] = onPaper(grid_.RowHeight(r));
}

void PrintLayout::CutIntoStrips()
{
    const int cols = grid_.ColCount();
    columnX_.assign(static_cast<std::size_t>(cols) + 1, 0);
    for (int first = 0; first < cols; first = strips_.back().last + 1) {
        strips_.push_back(StripFrom(first));
        PlaceStripColumns(strips_.back());
    }
}

PrintStrip PrintLayout::StripFrom(int first) const
{
    const int cols = grid_.ColCount();
    // The columns are fitted from 0, not from the left margin: the cells of a strip that is not
    // centred reach up to the page width less the right margin plus the left margin.
    const int room = setup_.pageWidth - settings_.RightSize;
    PrintStrip strip;
    strip.first = first;
    strip.repeatsFixed = first > 0 && settings_.RepeatFixedCols;
    std::int64_t width = strip.repeatsFixed ? ColPitch(0) : 0;
    width += ColPitch(first);
    int last = first;
    // A column wider than the page still gets a strip of its own, so the layout always ends.
    while (last + 1 < cols && width + ColPitch(last + 1) <= room) {
        ++last;
        width += ColPitch(last);
    }
    strip.last = last;
    if (!settings_.Centered)
        strip.left = settings_.LeftSize;
    else
        strip.left = width < setup_.pageWidth ? static_cast<int>((setup_.pageWidth - width) / 2) : 0;
    return strip;
}

void PrintLayout::PlaceStripColumns(const PrintStrip& strip)
{
    int x = strip.left + (strip.repeatsFixed ? ColPitch(0) : 0);
    for (int c = strip.first; c <= strip.last; ++c) {
        columnX_[static_cast<std::size_t>(c)] = x;
        x += ColPitch(c);
    }
}

int PrintLayout::RowPitch(int row) const
{
    const int height = RowHeight(row);
    return height + OneEighth(height) + 2 * spacingUnit_ + settings_.RowSpacing;
}

int PrintLayout::ColumnX(const PrintStrip& strip, int col) const
{
    if (col == strip.last + 1)
        return columnX_[static_cast<std::size_t>(strip.last)] + ColPitch(strip.last);
    return columnX_[static_cast<std::size_t>(col)];
}

int PrintLayout::CountPages() { return Run(false, 0); }

void PrintLayout::PrintPages(int pageCount) { Run(true, pageCount); }

int PrintLayout::Run(bool drawing, int pageCount)
{
    int page = 0;
    for (std::size_t s = 0; s < strips_.size(); ++s) {
        const PrintStrip& strip = strips_[s];
        if (drawing)
            SetPageColumns(strip);
        int pageInStrip = 0;
        for (int row = 0; row < grid_.RowCount();) {
            ++page;
            ++pageInStrip;
            if (drawing)
                StartPage(page, pageCount, pageInStrip, static_cast<int>(s) + 1);
            row = LayPageRows(strip, row, drawing);
            if (drawing) {
                cells_->EndPage();
                DrawOverLines(strip);
                FinishPage(page, pageCount);
            }
        }
    }
    return page;
}

void PrintLayout::SetPageColumns(const PrintStrip& strip)
{
    pageColumnX_.clear();
    if (strip.repeatsFixed)
        pageColumnX_.push_back(strip.left);
    for (int c = strip.first; c <= strip.last + 1; ++c)
        pageColumnX_.push_back(ColumnX(strip, c));
}

void PrintLayout::StartPage(int page, int pageCount, int pageInStrip, int strip)
{
    if (page > 1)
        canvas_.NewPage();
    DrawHeaderFooter(page, pageCount, pageInStrip, strip);
    cells_->BeginPage(pageColumnX_);
}

int PrintLayout::LayPageRows(const PrintStrip& strip, int row, bool drawing)
{
    const int rows = grid_.RowCount();
    const int bottomLimit = setup_.pageHeight - footerReserve_;
    std::int64_t y = headerReserve_ + settings_.TitleSpacing;
    if (row != 0 && settings_.RepeatFixedRows) {
        if (drawing)
            PrintRow(strip, 0, static_cast<int>(y));
        y += RowPitch(0);
    }
    pageFirstRow_ = row;
    pageRowY_.clear();
    for (;;) {
        if (drawing) {
            PrintRow(strip, row, static_cast<int>(y));
            pageRowY_.push_back(static_cast<int>(y));
        }
        y += RowPitch(row);
        ++row;
        if (row >= rows || y + RowHeight(row) > bottomLimit) {
            if (drawing)
                pageRowY_.push_back(static_cast<int>(y));
            return row;
        }
    }
}

void PrintLayout::FinishPage(int page, int pageCount)
{
    if (setup_.progress)
        setup_.progress(page, pageCount);
}

namespace {

// Where a line from (x1, y1) to (x2, y2) runs inside [left, right] × [top, bottom]: the part of
// it as fractions t0 ≤ t1 of its length (Liang and Barsky's clipping); nothing when it misses.
std::optional<std::pair<double, double>> PartInside(double x1, double y1, double x2, double y2, double left,
                                                     double top, double right, double bottom)
{
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const std::array<std::pair<double, double>, 4> edges = {
        {{-dx, x1 - left}, {dx, right - x1}, {-dy, y1 - top}, {dy, bottom - y1}}};
    for (const auto& [p, q] : edges) {
        if (p == 0) {
            if (q < 0)
                return std::nullopt;
            continue;
        }
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return std::nullopt;
    return std::pair{t0, t1};
}

} // namespace

// A page shows the corners of its own normal cells; a line is cut where it leaves them, and its
// outline is clipped there too, so that the parts on neighbouring pages meet edge to edge. Along
// the chart's outer edges the outline may reach half its width beyond the cells.
void PrintLayout::DrawOverLines(const PrintStrip& strip)
{
    const std::vector<GridOverLine>& lines = grid_.OverLines;
    const int cols = grid_.ColCount(), rows = grid_.RowCount();
    if (lines.empty() || cols <= GridModel::FixedCols || rows <= GridModel::FixedRows)
        return;
    // The page's normal columns and rows, as corners: column c spans corners c − 1 .. c.
    const int firstCol = std::max(strip.first, GridModel::FixedCols), lastCol = strip.last;
    const int firstRow = std::max(pageFirstRow_, GridModel::FixedRows);
    const int lastRow = pageFirstRow_ + static_cast<int>(pageRowY_.size()) - 2;
    if (firstCol > lastCol || firstRow > lastRow)
        return;
    const int maxX = cols - GridModel::FixedCols, maxY = rows - GridModel::FixedRows;
    const double left = firstCol - GridModel::FixedCols, right = lastCol - GridModel::FixedCols + 1;
    const double top = firstRow - GridModel::FixedRows, bottom = lastRow - GridModel::FixedRows + 1;
    // A corner coordinate on paper: the edge of its cell and the part of the cell's pitch beyond.
    const auto paperX = [&](double u) {
        const int col = std::min(static_cast<int>(std::floor(u)), lastCol - GridModel::FixedCols) + GridModel::FixedCols;
        return ColumnX(strip, col) + (u - (col - GridModel::FixedCols)) * ColPitch(col);
    };
    const auto paperY = [&](double v) {
        const int row = std::min(static_cast<int>(std::floor(v)), lastRow - GridModel::FixedRows) + GridModel::FixedRows;
        return pageRowY_[static_cast<std::size_t>(row - pageFirstRow_)] + (v - (row - GridModel::FixedRows)) * RowPitch(row);
    };
    const OverLineWidths widths =
        OverLineWidthsFor(std::min(ColPitch(firstCol), RowPitch(firstRow)));
    const int reach = (widths.outline + 1) / 2;
    PaperRect clip{RoundEven(paperX(left)), RoundEven(paperY(top)), RoundEven(paperX(right)), RoundEven(paperY(bottom))};
    if (firstCol == GridModel::FixedCols)
        clip.left -= reach;
    if (lastCol == cols - 1)
        clip.right += reach;
    if (firstRow == GridModel::FixedRows)
        clip.top -= reach;
    if (lastRow == rows - 1)
        clip.bottom += reach;

    struct Part {
        int x1, y1, x2, y2;
        const GridOverLine* line;
    };
    std::vector<Part> parts;
    for (const GridOverLine& line : lines) {
        const auto onGrid = [&](int x, int y) { return x >= 0 && y >= 0 && x <= maxX && y <= maxY; };
        if (!onGrid(line.x1, line.y1) || !onGrid(line.x2, line.y2))
            continue;
        const auto part = PartInside(line.x1, line.y1, line.x2, line.y2, left, top, right, bottom);
        // A line that only touches the page's corner leaves nothing on it.
        if (!part || part->second <= part->first)
            continue;
        const double dx = line.x2 - line.x1, dy = line.y2 - line.y1;
        parts.push_back({RoundEven(paperX(line.x1 + part->first * dx)), RoundEven(paperY(line.y1 + part->first * dy)),
                         RoundEven(paperX(line.x1 + part->second * dx)), RoundEven(paperY(line.y1 + part->second * dy)),
                         &line});
    }
    // All outlines first, then all lines, as on screen.
    for (const bool outline : {true, false})
        for (const Part& p : parts)
            canvas_.Stroke(p.x1, p.y1, p.x2, p.y2, outline ? widths.outline : widths.line,
                           outline ? p.line->outline : p.line->color, clip);
}

std::string PrintLayout::PageNumberText(int page, int pageCount, int pageInStrip, int strip) const
{
    if (strips_.size() > 1)
        return std::to_string(pageInStrip) + "-" + std::to_string(strip);
    if (!settings_.PageNumSep.empty() && pageCount > 1)
        return std::to_string(page + settings_.PageNumberOffset) + settings_.PageNumSep +
               std::to_string(pageCount + settings_.MaxPagesOffset);
    return std::to_string(page + settings_.PageNumberOffset);
}

std::array<std::string, 6> PrintLayout::HeaderFooterTexts(int page, int pageCount, int pageInStrip, int strip) const
{
    std::array<std::string, 6> texts;
    auto add = [&](PrintPosition p, const std::string& item) {
        if (p == PrintPosition::None)
            return;
        std::string& text = texts[static_cast<std::size_t>(p) - 1];
        text = IsLeft(p) ? item + " " + text : text + " " + item;
    };
    const PrintDateTime now = setup_.clock ? setup_.clock() : PrintDateTime{};
    add(settings_.Time, FormatDateTime("hh:nn", now, setup_.locale));
    add(settings_.Date, FormatDateTime(settings_.DateFormat, now, setup_.locale));
    if (settings_.PageNr != PrintPosition::None)
        add(settings_.PageNr, settings_.PagePrefix + " " + PageNumberText(page, pageCount, pageInStrip, strip) + " " +
                                  settings_.PageSuffix);
    if (settings_.Title != PrintPosition::None) {
        const std::string title = !settings_.TitleText.empty()    ? settings_.TitleText
                                  : !settings_.TitleLines.empty() ? settings_.TitleLines.front()
                                                                  : std::string();
        if (!title.empty())
            add(settings_.Title, title);
    }
    return texts;
}

void PrintLayout::DrawHeaderFooter(int page, int pageCount, int pageInStrip, int strip)
{
    const std::array<std::string, 6> texts = HeaderFooterTexts(page, pageCount, pageInStrip, strip);
    const PaperFont header = OnPaper(settings_.HeaderFont);
    const PaperFont footer = OnPaper(settings_.FooterFont);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        if (text.empty())
            continue;
        const bool top = i < 3;
        const PaperFont& font = top ? header : footer;
        const int y =
            top ? settings_.HeaderSize : setup_.pageHeight - settings_.FooterSize - spacingUnit_ - footerLineHeight_;
        int x = settings_.LeftSize;
        if (i % 3 == 1)
            x = setup_.pageWidth - settings_.RightSize - kRightTextGap - canvas_.TextWidth(font, text);
        else if (i % 3 == 2)
            x = (setup_.pageWidth - canvas_.TextWidth(font, text)) / 2;
        canvas_.Text(x, y, text, font, nullptr);
    }
}

void PrintLayout::PrintRow(const PrintStrip& strip, int row, int y)
{
    const int bottom = y + RowPitch(row);
    cells_->BeginRow(y, bottom);
    int pageColumn = 0;
    if (strip.repeatsFixed)
        PrintCell(0, row, pageColumn++, {strip.left, y, strip.left + ColPitch(0), bottom});
    for (int c = strip.first; c <= strip.last; ++c) {
        const int x = columnX_[static_cast<std::size_t>(c)];
        PrintCell(c, row, pageColumn++, {x, y, x + ColPitch(c), bottom});
    }
}

PrintLayout::Measured& PrintLayout::MeasuredFont(const PaperFont& font)
{
    // Cells ask for two or three fonts in turn; the one asked for last comes first.
    if (lastMeasured_ < measured_.size() && measured_[lastMeasured_].font == font)
        return measured_[lastMeasured_];
    for (std::size_t i = 0; i < measured_.size(); ++i)
        if (measured_[i].font == font) {
            lastMeasured_ = i;
            return measured_[i];
        }
    Measured m;
    m.font = font;
    m.lineHeight = canvas_.LineHeight(font);
    m.oneByteWidths.fill(-1);
    measured_.push_back(std::move(m));
    lastMeasured_ = measured_.size() - 1;
    return measured_.back();
}

int PrintLayout::MeasureLineHeight(const PaperFont& font) { return MeasuredFont(font).lineHeight; }

int PrintLayout::MeasureWidth(const PaperFont& font, const std::string& text)
{
    Measured& m = MeasuredFont(font);
    if (text.size() == 1) {
        int& width = m.oneByteWidths[static_cast<unsigned char>(text.front())];
        if (width < 0)
            width = canvas_.TextWidth(font, text);
        return width;
    }
    if (const auto found = m.widths.find(text); found != m.widths.end())
        return found->second;
    // A grid has far fewer distinct texts than this; a cache beyond it starts again.
    if (m.widths.size() >= 65536)
        m.widths.clear();
    return m.widths.emplace(text, canvas_.TextWidth(font, text)).first->second;
}

void PrintLayout::PrintCell(int col, int row, int pageColumn, const PaperRect& rect)
{
    GridBrush brush;
    GridFont font;
    grid_.PrintColors(col, row, brush, font);
    cells_->Fill(pageColumn, brush.Color);

    HorizontalAlignment hAlign = HorizontalAlignment::Left;
    VerticalAlignment vAlign = VerticalAlignment::Top;
    grid_.CellAlignment(col, row, hAlign, vAlign);
    const std::string text = grid_.Cells(col, row);
    if (!text.empty()) {
        if (settings_.PrintGraphics && grid_.IsRotated(col, row))
            PrintTurnedText(text, OnPaper(font, grid_.CellAngle(col, row)), rect);
        else
            PrintPlainText(text, OnPaper(font), hAlign, vAlign, rect);
    }

    PrintCellBorders(col, row, pageColumn);
}

void PrintLayout::PrintPlainText(const std::string& text, const PaperFont& font, HorizontalAlignment hAlign, VerticalAlignment vAlign,
                                 const PaperRect& rect)
{
    int lineHeight = MeasureLineHeight(font) + settings_.RowSpacing;
    lineHeight += OneEighth(lineHeight);
    const CellBox box =
        PlaceCellText(rect, {kTextInset, 0, kTextInset, 0}, MeasureWidth(font, text), lineHeight, hAlign, vAlign);
    // Down from the text's top to the cell's bottom; across between the insets, but a text aligned
    // to one side may run on into the other side's inset.
    PaperRect clip{rect.left + kTextInset, box.top, rect.right - kTextInset, rect.bottom};
    if (hAlign == HorizontalAlignment::Left)
        clip.right = rect.right;
    else if (hAlign == HorizontalAlignment::Right)
        clip.left = rect.left;
    cells_->Text(box.left, box.top, text, font, clip);
}

void PrintLayout::PrintTurnedText(const std::string& text, const PaperFont& font, const PaperRect& rect)
{
    // Whatever the alignment, a turned text starts one screen pixel in from the cell's left edge,
    // on its bottom edge, and is clipped to the cell less that pixel.
    const int inset = RoundEven(tenthsMmPerScreenPixel_);
    cells_->Text(rect.left + inset, rect.bottom, text, font, {rect.left + inset, rect.top, rect.right, rect.bottom});
}

void PrintLayout::PrintCellBorders(int col, int row, int pageColumn)
{
    GridPen pen{clBlack, 2}; // 0.2 mm
    CellBorders borders;
    if (settings_.Borders == PrintBorders::Single)
        borders = {true, true, true, true};
    if (grid_.OnGetCellPrintBorder)
        grid_.OnGetCellPrintBorder(grid_, row, col, pen, borders);
    if (grid_.OnGetCellPrintEdgePens) {
        CellEdgePens pens{pen, pen, pen, pen};
        grid_.OnGetCellPrintEdgePens(grid_, row, col, pens);
        cells_->Borders(pageColumn, pens, settings_.BorderStyle, borders);
    } else {
        cells_->Borders(pageColumn, pen, settings_.BorderStyle, borders);
    }
}

int PrintGridPages(const GridModel& grid, PrintCanvas& canvas, const PrintJobSetup& setup)
{
    PrintLayout layout(grid, canvas, setup);
    const int pages = layout.CountPages();
    layout.PrintPages(pages);
    return pages;
}

} // namespace velmora
