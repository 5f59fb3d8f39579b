#include "view/print_layout.h"

#include "scheme/cp1251.h"
#include "view/cell_text_placement.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace velmora {

GridPrintSettings ChartPrintSettings() { return GridPrintSettings{}; }

GridPrintSettings LegendPrintSettings()
{
    GridPrintSettings s;
    s.Orientation = TPrinterOrientation::poPortrait;
    s.HeaderSize = 150;
    s.FooterSize = 150;
    s.LeftSize = 100;
    s.RightSize = 100;
    s.TitleSpacing = 50;
    s.Time = TPrintPosition::ppNone;
    s.Date = TPrintPosition::ppNone;
    s.PageNr = TPrintPosition::ppNone;
    s.Title = TPrintPosition::ppTopCenter;
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
    return RoundEven(254.0 * pixels / dpi);
}

int PaperFontHeight(int points)
{
    return static_cast<int>(static_cast<std::int64_t>(points) * 254 / 72);
}

namespace {

void AppendNumber(std::string& out, int value, int digits)
{
    std::string text = std::to_string(value);
    while (static_cast<int>(text.size()) < digits)
        text.insert(text.begin(), '0');
    out += text;
}

bool IsLeft(TPrintPosition p) { return p == TPrintPosition::ppTopLeft || p == TPrintPosition::ppBottomLeft; }
bool IsTop(TPrintPosition p)
{
    return p == TPrintPosition::ppTopLeft || p == TPrintPosition::ppTopRight || p == TPrintPosition::ppTopCenter;
}
bool IsBottom(TPrintPosition p)
{
    return p == TPrintPosition::ppBottomLeft || p == TPrintPosition::ppBottomRight ||
           p == TPrintPosition::ppBottomCenter;
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
    k_ = 254.0 / setup_.screenDpi;
    if (!setup_.cellByCell)
        batch_.emplace(canvas_);

    g_ = canvas_.LineHeight({settings_.Font, PaperFontHeight(settings_.Font.size), 0}) / 8;
    hH_ = canvas_.LineHeight({settings_.HeaderFont, PaperFontHeight(settings_.HeaderFont.size), 0});
    hF_ = canvas_.LineHeight({settings_.FooterFont, PaperFontHeight(settings_.FooterFont.size), 0});
    bool top = false;
    bool bottom = false;
    for (TPrintPosition p : {settings_.Time, settings_.Date, settings_.PageNr, settings_.Title}) {
        top = top || IsTop(p);
        bottom = bottom || IsBottom(p);
    }
    headerReserve_ = settings_.HeaderSize + (top ? hH_ + g_ : 0);
    footerReserve_ = settings_.FooterSize + (bottom ? 2 * (hF_ + g_) : hF_ + g_);

    // The tables are as long as the grid needs, so every column of a wide chart is printed.
    const int cols = grid_.ColCount();
    const int rows = grid_.RowCount();
    colWidth_.resize(static_cast<std::size_t>(cols));
    for (int c = 0; c < cols; ++c)
        colWidth_[static_cast<std::size_t>(c)] = RoundEven((grid_.ColWidth(c) - 4) * k_);
    rowHeight_.resize(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        rowHeight_[static_cast<std::size_t>(r)] = RoundEven((grid_.RowHeight(r) - 4) * k_);

    stripX_.assign(static_cast<std::size_t>(cols) + 1, 0);
    const int limit = setup_.pageWidth - settings_.RightSize;
    int f = 0;
    while (f < cols) {
        PrintStrip strip;
        strip.first = f;
        strip.repeatsFixed = f > 0 && settings_.RepeatFixedCols;
        std::int64_t w = strip.repeatsFixed ? ColPitch(0) : 0;
        int l = f;
        w += ColPitch(f);
        // A column wider than the page still gets a strip of its own, so the layout always ends.
        while (l + 1 < cols && w + ColPitch(l + 1) <= limit) {
            ++l;
            w += ColPitch(l);
        }
        strip.last = l;
        if (!settings_.Centered)
            strip.x0 = settings_.LeftSize;
        else
            strip.x0 = w < setup_.pageWidth ? static_cast<int>((setup_.pageWidth - w) / 2) : 0;
        int x = strip.x0 + (strip.repeatsFixed ? ColPitch(0) : 0);
        for (int c = f; c <= l; ++c) {
            stripX_[static_cast<std::size_t>(c)] = x;
            x += ColPitch(c);
        }
        strips_.push_back(strip);
        f = l + 1;
    }
}

int PrintLayout::RowPitch(int row) const
{
    const int h = RowHeight(row);
    return h + h / 8 + 2 * g_ + settings_.RowSpacing;
}

int PrintLayout::ColumnX(const PrintStrip& strip, int col) const
{
    if (col == strip.last + 1)
        return stripX_[static_cast<std::size_t>(strip.last)] + ColPitch(strip.last);
    return stripX_[static_cast<std::size_t>(col)];
}

int PrintLayout::CountPages() { return Run(false, 0); }

void PrintLayout::PrintPages(int pageCount) { Run(true, pageCount); }

int PrintLayout::Run(bool drawing, int pageCount)
{
    const int rows = grid_.RowCount();
    const int bottomLimit = setup_.pageHeight - footerReserve_;
    int page = 0;
    for (std::size_t s = 0; s < strips_.size(); ++s) {
        const PrintStrip& strip = strips_[s];
        if (drawing) {
            pageColumnX_.clear();
            if (strip.repeatsFixed)
                pageColumnX_.push_back(strip.x0);
            for (int c = strip.first; c <= strip.last + 1; ++c)
                pageColumnX_.push_back(ColumnX(strip, c));
        }
        int pageInStrip = 0;
        int r = 0;
        while (r < rows) {
            ++page;
            ++pageInStrip;
            if (drawing) {
                if (page > 1)
                    canvas_.NewPage();
                DrawHeaderFooter(page, pageCount, pageInStrip, static_cast<int>(s) + 1);
                if (batch_)
                    batch_->BeginPage(pageColumnX_);
            }
            std::int64_t y = headerReserve_ + settings_.TitleSpacing;
            if (r != 0 && settings_.RepeatFixedRows) {
                if (drawing)
                    PrintRow(strip, 0, static_cast<int>(y));
                y += RowPitch(0);
            }
            for (;;) {
                if (drawing)
                    PrintRow(strip, r, static_cast<int>(y));
                y += RowPitch(r);
                ++r;
                if (r >= rows || y + RowHeight(r) > bottomLimit)
                    break;
            }
            if (drawing) {
                if (batch_)
                    batch_->EndPage();
                if (setup_.progress)
                    setup_.progress(page, pageCount);
            }
        }
    }
    return page;
}

void PrintLayout::DrawHeaderFooter(int page, int pageCount, int pageInStrip, int strip)
{
    // top-left, top-right, top-centre, bottom-left, bottom-right, bottom-centre
    std::string texts[6];
    auto slot = [](TPrintPosition p) { return static_cast<int>(p) - 1; };
    auto add = [&](TPrintPosition p, const std::string& item) {
        if (p == TPrintPosition::ppNone)
            return;
        std::string& text = texts[slot(p)];
        text = IsLeft(p) ? item + " " + text : text + " " + item;
    };
    const PrintDateTime now = setup_.clock ? setup_.clock() : PrintDateTime{};
    add(settings_.Time, FormatDateTime("hh:nn", now, setup_.locale));
    add(settings_.Date, FormatDateTime(settings_.DateFormat, now, setup_.locale));
    if (settings_.PageNr != TPrintPosition::ppNone) {
        std::string number;
        if (strips_.size() > 1)
            number = std::to_string(pageInStrip) + "-" + std::to_string(strip);
        else if (!settings_.PageNumSep.empty() && pageCount > 1)
            number = std::to_string(page + settings_.PageNumberOffset) + settings_.PageNumSep +
                     std::to_string(pageCount + settings_.MaxPagesOffset);
        else
            number = std::to_string(page + settings_.PageNumberOffset);
        add(settings_.PageNr, settings_.PagePrefix + " " + number + " " + settings_.PageSuffix);
    }
    if (settings_.Title != TPrintPosition::ppNone) {
        const std::string title = !settings_.TitleText.empty()    ? settings_.TitleText
                                  : !settings_.TitleLines.empty() ? settings_.TitleLines.front()
                                                                  : std::string();
        if (!title.empty())
            add(settings_.Title, title);
    }

    const PaperFont header{settings_.HeaderFont, PaperFontHeight(settings_.HeaderFont.size), 0};
    const PaperFont footer{settings_.FooterFont, PaperFontHeight(settings_.FooterFont.size), 0};
    for (int i = 0; i < 6; ++i) {
        const std::string& text = texts[i];
        if (text.empty())
            continue;
        const bool top = i < 3;
        const PaperFont& font = top ? header : footer;
        const int y = top ? settings_.HeaderSize : setup_.pageHeight - settings_.FooterSize - g_ - hF_;
        int x = settings_.LeftSize;
        if (i % 3 == 1)
            x = setup_.pageWidth - settings_.RightSize - 20 - canvas_.TextWidth(font, text);
        else if (i % 3 == 2)
            x = (setup_.pageWidth - canvas_.TextWidth(font, text)) / 2;
        canvas_.Text(x, y, text, font, nullptr);
    }
}

void PrintLayout::PrintRow(const PrintStrip& strip, int row, int y)
{
    const int bottom = y + RowPitch(row);
    if (batch_)
        batch_->BeginRow(y, bottom);
    int pageColumn = 0;
    if (strip.repeatsFixed)
        PrintCell(0, row, pageColumn++, {strip.x0, y, strip.x0 + ColPitch(0), bottom});
    for (int c = strip.first; c <= strip.last; ++c) {
        const int x = stripX_[static_cast<std::size_t>(c)];
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
    const bool fixed = col < GridModel::FixedCols || row < GridModel::FixedRows;
    // Paper shows the window colour for every cell: fixed and selection colours are screen-only.
    GridBrush brush{grid_.Color};
    GridFont font = fixed ? grid_.FixedFont : grid_.Font;
    if (grid_.OnGetCellPrintColor) {
        TGridDrawState state;
        state.gdFixed = fixed;
        grid_.OnGetCellPrintColor(grid_, row, col, state, brush, font);
    }
    PaperFont paper{font, PaperFontHeight(font.size), 0};
    if (batch_)
        batch_->Fill(pageColumn, brush.Color);
    else
        canvas_.FillRect(rect, brush.Color);

    TAlignment hAlign = TAlignment::taLeftJustify;
    TVAlignment vAlign = TVAlignment::vtaTop;
    grid_.CellAlignment(col, row, hAlign, vAlign);

    const std::string text = grid_.Cells(col, row);
    if (!text.empty()) {
        const int angle = grid_.CellAngle(col, row);
        if (settings_.PrintGraphics && grid_.IsRotated(col, row)) {
            paper.angle = angle;
            const int inset = RoundEven(k_);
            const PaperRect clip{rect.left + inset, rect.top, rect.right, rect.bottom};
            if (batch_)
                batch_->Text(rect.left + inset, rect.bottom, text, paper, clip);
            else
                canvas_.Text(rect.left + inset, rect.bottom, text, paper, &clip);
        } else {
            int p = MeasureLineHeight(paper) + settings_.RowSpacing;
            p += p / 8;
            const int width = MeasureWidth(paper, text);
            const CellBox box = PlaceCellText({rect.left, rect.top, rect.right, rect.bottom}, {4, 0, 4, 0}, width, p,
                                              hAlign, vAlign);
            const int x = box.left;
            const int top = box.top;
            PaperRect clip{rect.left + 4, top, rect.right - 4, rect.bottom};
            if (hAlign == TAlignment::taLeftJustify)
                clip.right = rect.right;
            else if (hAlign == TAlignment::taRightJustify)
                clip.left = rect.left;
            if (batch_)
                batch_->Text(x, top, text, paper, clip);
            else
                canvas_.Text(x, top, text, paper, &clip);
        }
    }

    GridPen pen{clBlack, 2};
    TCellBorders borders;
    if (settings_.Borders == TPrintBorders::pbSingle)
        borders = {true, true, true, true};
    if (grid_.OnGetCellPrintBorder)
        grid_.OnGetCellPrintBorder(grid_, row, col, pen, borders);
    if (batch_) {
        batch_->Borders(pageColumn, pen, settings_.BorderStyle, borders);
        return;
    }
    if (borders.cbLeft)
        canvas_.Line(rect.left, rect.top, rect.left, rect.bottom, pen, settings_.BorderStyle);
    if (borders.cbRight)
        canvas_.Line(rect.right, rect.top, rect.right, rect.bottom, pen, settings_.BorderStyle);
    if (borders.cbTop)
        canvas_.Line(rect.left, rect.top, rect.right, rect.top, pen, settings_.BorderStyle);
    if (borders.cbBottom)
        canvas_.Line(rect.left, rect.bottom, rect.right, rect.bottom, pen, settings_.BorderStyle);
}

int PrintGridPages(const GridModel& grid, PrintCanvas& canvas, const PrintJobSetup& setup)
{
    PrintLayout layout(grid, canvas, setup);
    const int pages = layout.CountPages();
    layout.PrintPages(pages);
    return pages;
}

} // namespace velmora
