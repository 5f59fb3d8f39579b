#include "view/chart_look.h"
#include "view/print_layout.h"
#include "view/scheme_grids.h"
#include "tests/view/cell_by_cell_sink.h"
#include "tests/view/chart_cells.h"

#include "scheme/cp1251.h"
#include "scheme/dmc_inc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace velmora {
namespace {

// Answers measurements by simple rules so that every position can be worked out by hand: a line
// is the character height plus a fifth, a character half the height wide.
class RecordingCanvas : public PrintCanvas {
public:
    struct TextOp {
        int page;
        int x;
        int y;
        std::string text;
        PaperFont font;
        std::optional<PaperRect> clip;
    };
    struct LineOp {
        int page;
        int x1, y1, x2, y2;
        GridPen pen;
    };
    struct StrokeOp {
        int page;
        int x1, y1, x2, y2;
        int width;
        ColorValue color;
        PaperRect clip;
    };
    struct FillOp {
        int page;
        PaperRect rect;
        ColorValue color;
    };

    explicit RecordingCanvas(bool keepCells = true) : keepCells_(keepCells) {}

    int LineHeight(const PaperFont& font) override { return font.height + font.height / 5; }
    int TextWidth(const PaperFont& font, std::string_view text) override
    {
        return static_cast<int>(text.size()) * font.height / 2;
    }
    void FillRect(const PaperRect& rect, ColorValue color) override
    {
        ++fillCount;
        if (keepCells_)
            fills.push_back({page, rect, color});
    }
    void Line(int x1, int y1, int x2, int y2, const GridPen& pen, PenStyle) override
    {
        ++lineCount;
        if (keepCells_)
            lines.push_back({page, x1, y1, x2, y2, pen});
    }
    void Stroke(int x1, int y1, int x2, int y2, int width, ColorValue color, const PaperRect& clip) override
    {
        strokes.push_back({page, x1, y1, x2, y2, width, color, clip});
    }
    void Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect* clip) override
    {
        texts.push_back({page, x, y, std::string(text), font,
                         clip ? std::optional<PaperRect>(*clip) : std::nullopt});
    }
    void TextRun(const PaperFont& font, std::span<const PlacedText> run) override
    {
        ++runCount;
        PrintCanvas::TextRun(font, run);
    }
    void NewPage() override { ++page; }

    // The texts drawn without a clip: the header and footer texts of each page.
    std::vector<const TextOp*> PageTexts() const
    {
        std::vector<const TextOp*> out;
        for (const TextOp& t : texts)
            if (!t.clip)
                out.push_back(&t);
        return out;
    }
    const TextOp* FindText(int onPage, const std::string& text) const
    {
        for (const TextOp& t : texts)
            if (t.page == onPage && t.text == text && t.clip)
                return &t;
        return nullptr;
    }
    // The pen that shows on the edge from (x1, y1) to (x2, y2): that of the last line drawn along
    // it and over all of it. Empty when no line covers it.
    std::optional<GridPen> PenOnEdge(int onPage, int x1, int y1, int x2, int y2) const
    {
        std::optional<GridPen> pen;
        for (const LineOp& l : lines) {
            if (l.page != onPage)
                continue;
            const bool along = x1 == x2 ? l.x1 == x1 && l.x2 == x1 && l.y1 <= y1 && l.y2 >= y2
                                        : l.y1 == y1 && l.y2 == y1 && l.x1 <= x1 && l.x2 >= x2;
            if (along)
                pen = l.pen;
        }
        return pen;
    }
    // The pen of the last line that passes through the point: what shows where lines cross.
    std::optional<GridPen> PenAt(int onPage, int x, int y) const
    {
        std::optional<GridPen> pen;
        for (const LineOp& l : lines)
            if (l.page == onPage && l.x1 <= x && x <= l.x2 && l.y1 <= y && y <= l.y2)
                pen = l.pen;
        return pen;
    }
    // The colour of the last fill that covers the point.
    std::optional<ColorValue> FillAt(int onPage, int x, int y) const
    {
        std::optional<ColorValue> color;
        for (const FillOp& f : fills)
            if (f.page == onPage && f.rect.left <= x && x < f.rect.right && f.rect.top <= y && y < f.rect.bottom)
                color = f.color;
        return color;
    }

    int page = 1;
    long fillCount = 0;
    long lineCount = 0;
    long runCount = 0;
    std::vector<TextOp> texts;
    std::vector<LineOp> lines;
    std::vector<FillOp> fills;
    std::vector<StrokeOp> strokes;

private:
    bool keepCells_;
};

// The chart grid as the main window designs and fills it: column numbers rotated in row 0, row
// numbers in column 0, a symbol in every stitch when `symbols`, and an empty last row.
GridModel Chart(int width, int height, bool symbols)
{
    GridModel g;
    DesignChartGrid(g);
    g.setCellTable(ChartCells(width, height, [symbols](int, int) { return symbols ? "n" : ""; }));
    return g;
}

// The legend as designed, with the default symbol font, `colours` threads and an empty last row.
GridModel Legend(int colours)
{
    GridModel g;
    DesignLegendGrid(g, nullptr);
    g.SetRowCount(colours + 2);
    for (int r = 1; r <= colours; ++r) {
        g.SetCell(0, r, std::to_string(r));
        g.SetCell(1, r, "n");
        g.SetCell(2, r, std::to_string(0x123456 + r));
        g.SetCell(3, r, "DMC " + std::to_string(300 + r));
        g.SetCell(4, r, std::to_string(10 * r));
    }
    return g;
}

PrintJobSetup Landscape()
{
    PrintJobSetup s;
    s.pageWidth = 2870;
    s.pageHeight = 1980;
    s.clock = [] { return PrintDateTime{2024, 12, 8, 14, 5, 30}; };
    return s;
}

PrintJobSetup Portrait()
{
    PrintJobSetup s = Landscape();
    std::swap(s.pageWidth, s.pageHeight);
    return s;
}

TEST(PrintQuantities, RoundingAndFontHeights)
{
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-0.5), 0);
    EXPECT_EQ(PaperExtent(4960, 600), 2100);
    EXPECT_THROW(PaperExtent(100, 0), std::invalid_argument);
    const std::pair<int, int> heights[] = {{6, 21}, {8, 28}, {10, 35}, {12, 42}, {14, 49}};
    for (auto [points, height] : heights)
        EXPECT_EQ(PaperFontHeight(points), height) << points;
}

TEST(PrintQuantities, DateAndTimeUseTheSystemSeparators)
{
    const PrintDateTime when{2024, 12, 8, 14, 5, 9};
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", when, {".", ":"}), "08.12.2024");
    EXPECT_EQ(FormatDateTime("hh:nn", when, {".", "-"}), "14-05");
    EXPECT_EQ(FormatDateTime("d/m/yy hh:nn:ss", when, {"/", ":"}), "8/12/24 14:05:09");
}

TEST(PrintQuantities, SizesOfTheChartAndTheLegendAt96Dpi)
{
    RecordingCanvas canvas;
    const GridModel chart = Chart(4, 4, false);
    const PrintLayout c(chart, canvas, Landscape());
    EXPECT_EQ(c.ColWidth(0), 53);
    EXPECT_EQ(c.ColWidth(1), 21);
    EXPECT_EQ(c.ColPitch(0), 73);
    EXPECT_EQ(c.ColPitch(1), 41);
    EXPECT_EQ(c.RowHeight(0), 53);
    EXPECT_EQ(c.RowHeight(1), 21);
    EXPECT_EQ(c.SpacingUnit(), 4); // MS Sans Serif 8 pt: 28 high, line 33
    EXPECT_EQ(c.RowPitch(0), 59 + 8);
    EXPECT_EQ(c.RowPitch(1), 23 + 8);
    EXPECT_EQ(c.HeaderReserve(), 100);
    EXPECT_EQ(c.FooterReserve(), 100 + 2 * (42 + 4));

    const GridModel legend = Legend(3);
    const PrintLayout l(legend, canvas, Portrait());
    int total = 0;
    const int pitches[] = {94, 179, 179, 179, 200};
    for (int col = 0; col < 5; ++col) {
        EXPECT_EQ(l.ColPitch(col), pitches[col]) << col;
        total += l.ColPitch(col);
    }
    EXPECT_EQ(total, 831);
    EXPECT_EQ(l.RowHeight(1), 42);
    EXPECT_EQ(l.RowPitch(1), 47 + 8);
    EXPECT_EQ(l.HeaderReserve(), 150 + 58 + 4);
    EXPECT_EQ(l.FooterReserve(), 150 + 42 + 4);
}

// With the measurements above a landscape page (2870 × 1980) takes column 0 and 63 stitch columns
// per strip and 52 stitch rows per page below row 0.
struct StripCase {
    int width;
    int height;
    int strips;
    int pages;
    std::vector<std::string> firstNumbers; // the bottom-right texts of the first pages
    int lastColumn;                        // the last column of the last strip
};

TEST(PrintLayoutStrips, StripsPagesAndNumbering)
{
    const StripCase cases[] = {
        {10, 10, 1, 1, {"  1 "}, 10},
        {10, 200, 1, 4, {"  1/4 ", "  2/4 ", "  3/4 ", "  4/4 "}, 10},
        {100, 100, 2, 4, {"  1-1 ", "  2-1 ", "  1-2 ", "  2-2 "}, 100},
        {512, 10, 9, 9, {"  1-1 ", "  1-2 ", "  1-3 "}, 512},
        {513, 10, 9, 9, {"  1-1 ", "  1-2 ", "  1-3 "}, 513},
        {1000, 1000, 16, 320, {"  1-1 ", "  2-1 ", "  3-1 "}, 1000},
    };
    for (const StripCase& tc : cases) {
        SCOPED_TRACE(std::to_string(tc.width) + " x " + std::to_string(tc.height));
        const GridModel chart = Chart(tc.width, tc.height, false);
        RecordingCanvas canvas(false);
        PrintLayout layout(chart, canvas, Landscape());
        const int pages = layout.CountPages();
        EXPECT_EQ(pages, tc.pages);
        EXPECT_TRUE(canvas.texts.empty()) << "the counting pass draws nothing";
        EXPECT_EQ(canvas.fillCount, 0);
        layout.PrintPages(pages);
        EXPECT_EQ(canvas.page, tc.pages);
        ASSERT_EQ(static_cast<int>(layout.Strips().size()), tc.strips);
        EXPECT_EQ(layout.Strips().back().last, tc.lastColumn);
        // Every column is printed once, strip after strip.
        int next = 0;
        for (const PrintStrip& s : layout.Strips()) {
            EXPECT_EQ(s.first, next);
            EXPECT_EQ(s.repeatsFixed, s.first > 0);
            next = s.last + 1;
        }
        EXPECT_EQ(next, chart.ColCount());

        std::vector<std::string> numbers;
        for (const auto* t : canvas.PageTexts())
            if (t->x > 1000)
                numbers.push_back(t->text);
        ASSERT_EQ(static_cast<int>(numbers.size()), tc.pages);
        for (std::size_t i = 0; i < tc.firstNumbers.size(); ++i)
            EXPECT_EQ(numbers[i], tc.firstNumbers[i]) << i;
        // The cells of a page share one colour: one fill a page. Lines are joined across the page,
        // at most two pens on each of its (at most 56) row and (65) column boundaries.
        EXPECT_EQ(canvas.fillCount, tc.pages);
        EXPECT_LE(canvas.lineCount, static_cast<long>(tc.pages) * 2 * (56 + 65));
    }
}

TEST(PrintLayoutStrips, LaterStripsAndPagesRepeatTheFixedColumnAndRow)
{
    const GridModel chart = Chart(100, 100, false);
    RecordingCanvas canvas(false);
    PrintGridPages(chart, canvas, Landscape());
    // Page 2 (second page of the first strip) starts with row 0: the column numbers at its top.
    const auto* colNumber = canvas.FindText(2, " 1");
    ASSERT_NE(colNumber, nullptr);
    EXPECT_EQ(colNumber->x, 173 + 3);
    EXPECT_EQ(colNumber->y, 100 + 67); // the bottom edge of row 0
    // ... and then row 53 right below it.
    const auto* row53 = canvas.FindText(2, "53");
    ASSERT_NE(row53, nullptr);
    EXPECT_EQ(row53->y, 167 + 31 - 28);
    // Page 3 begins the second strip with column 0 repeated at its left and column 64 after it.
    const auto* col64 = canvas.FindText(3, " 64");
    ASSERT_NE(col64, nullptr);
    EXPECT_EQ(col64->x, 100 + 73 + 3);
    const auto* row1 = canvas.FindText(3, "1");
    ASSERT_NE(row1, nullptr);
    EXPECT_EQ(row1->x, 104);
    EXPECT_EQ(canvas.FindText(3, " 63"), nullptr);
    // Page 4 repeats both: row 0 with column 64 at the top, row 53 with column 0 at the left.
    EXPECT_NE(canvas.FindText(4, " 64"), nullptr);
    EXPECT_NE(canvas.FindText(4, "53"), nullptr);
    EXPECT_EQ(canvas.FindText(4, "52"), nullptr);
}

TEST(PrintLayoutCells, ChartCellsWorkedOutByHand)
{
    const GridModel chart = Chart(10, 10, true);
    for (const bool cellByCell : {false, true}) {
        SCOPED_TRACE(cellByCell ? "cell by cell" : "joined");
        RecordingCanvas canvas;
        PrintJobSetup setup = Landscape();
        if (cellByCell)
            PrintCellByCell(setup);
        EXPECT_EQ(PrintGridPages(chart, canvas, setup), 1);

        // Footer: date and time at the bottom left, the number at the bottom right.
        const auto page = canvas.PageTexts();
        ASSERT_EQ(page.size(), 2u);
        EXPECT_EQ(page[0]->text, "08.12.2024 14:05 ");
        EXPECT_EQ(page[0]->x, 100);
        EXPECT_EQ(page[0]->y, 1980 - 100 - 4 - 42);
        EXPECT_EQ(page[1]->text, "  1 ");
        EXPECT_EQ(page[1]->x, 2870 - 200 - 20 - 4 * 35 / 2);
        EXPECT_EQ(page[1]->y, 1834);

        // Column number 1: rotated, from one screen pixel in at the bottom of row 0, upward.
        const auto* col1 = canvas.FindText(1, " 1");
        ASSERT_NE(col1, nullptr);
        EXPECT_EQ(col1->font.angle, 90);
        EXPECT_EQ(col1->font.height, 21);
        EXPECT_EQ(col1->x, 176);
        EXPECT_EQ(col1->y, 167);
        EXPECT_EQ(*col1->clip, (PaperRect{176, 100, 214, 167}));

        // Row number 1 at left + 4, resting on the bottom of its cell (P = 25 + 25 div 8 = 28).
        const auto* row1 = canvas.FindText(1, "1");
        ASSERT_NE(row1, nullptr);
        EXPECT_EQ(row1->font.angle, 0);
        EXPECT_EQ(row1->x, 104);
        EXPECT_EQ(row1->y, 198 - 28);
        EXPECT_EQ(*row1->clip, (PaperRect{104, 170, 173, 198}));

        // The symbol of stitch (1, 1): centred across and vertically in 173..214 × 167..198.
        const RecordingCanvas::TextOp* symbol = nullptr;
        for (const auto& t : canvas.texts)
            if (t.text == "n" && !symbol)
                symbol = &t;
        ASSERT_NE(symbol, nullptr);
        EXPECT_EQ(symbol->font.font.name, "Wingdings");
        EXPECT_EQ(symbol->x, 177 + (33 - 10) / 2);
        EXPECT_EQ(symbol->y, 167 + (31 - 28) / 2);
        EXPECT_EQ(*symbol->clip, (PaperRect{177, 168, 210, 198}));

        // Fills with the window colour, the fixed cells too.
        EXPECT_EQ(canvas.fills.front().rect.left, 100);
        EXPECT_EQ(canvas.fills.front().rect.top, 100);
        for (const auto& f : canvas.fills)
            EXPECT_EQ(f.color, clWindow);

        // Lines: 0.1 mm, black round the fixed cells, silver round the stitches.
        const auto edge = [&](int x1, int y1, int x2, int y2) {
            return canvas.PenOnEdge(1, x1, y1, x2, y2).value_or(GridPen{clWindow, 0});
        };
        const GridPen rowNumberEdges[] = {edge(100, 167, 100, 198), edge(100, 167, 173, 167), edge(100, 198, 173, 198)};
        for (const GridPen& pen : rowNumberEdges) {
            EXPECT_EQ(pen.Color, clBlack);
            EXPECT_EQ(pen.Width, 1);
        }
        // The stitch's four edges are silver, also the one it shares with row number 1, which the
        // stitch drew last; so are the corners where its lines meet the black ones.
        const GridPen stitchEdges[] = {edge(173, 167, 173, 198), edge(214, 167, 214, 198), edge(173, 167, 214, 167),
                                       edge(173, 198, 214, 198)};
        for (const GridPen& pen : stitchEdges) {
            EXPECT_EQ(pen.Color, clSilver);
            EXPECT_EQ(pen.Width, 1);
        }
        EXPECT_EQ(canvas.PenAt(1, 173, 167).value_or(GridPen{}).Color, clSilver);
        EXPECT_EQ(canvas.PenAt(1, 173, 198).value_or(GridPen{}).Color, clSilver);
        EXPECT_EQ(canvas.PenAt(1, 173, 100).value_or(GridPen{}).Color, clBlack);
        // Between column numbers 1 and 2, above the stitches, the line stays black.
        EXPECT_EQ(edge(214, 100, 214, 167).Color, clBlack);
    }
}

TEST(PrintLayoutCells, ATallSymbolOverhangsItsCellByHalfTheExcess)
{
    GridModel chart = Chart(2, 2, true);
    chart.Font.size = 20; // 70 high on paper, a line of 84, P = 94 in a cell of 31
    RecordingCanvas canvas;
    PrintGridPages(chart, canvas, Landscape());
    const RecordingCanvas::TextOp* symbol = nullptr;
    for (const auto& t : canvas.texts)
        if (t.text == "n" && !symbol)
            symbol = &t;
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->y, 167 + (31 - 94) / 2); // -31: truncated toward zero
    EXPECT_EQ(symbol->clip->bottom, 198);
}

TEST(PrintLayoutLegend, ThirtyColoursOnOneCentredPortraitPage)
{
    const GridModel legend = Legend(30);
    RecordingCanvas canvas;
    PrintLayout layout(legend, canvas, Portrait());
    ASSERT_EQ(layout.CountPages(), 1);
    layout.PrintPages(1);
    EXPECT_EQ(canvas.page, 1);
    ASSERT_EQ(layout.Strips().size(), 1u);
    EXPECT_EQ(layout.Strips()[0].left, (1980 - 831) / 2);

    // The title, centred at the top; no footer.
    const auto page = canvas.PageTexts();
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(page[0]->text), " Расшифровка сиволов");
    EXPECT_EQ(page[0]->x, (1980 - 20 * 49 / 2) / 2);
    EXPECT_EQ(page[0]->y, 150);
    EXPECT_TRUE(page[0]->font.font.style.bold);

    // Rows start below the header reserve and the title spacing: 212 + 50.
    const int x0 = 574;
    const int y1 = 262 + 55; // row 1
    const auto* number = canvas.FindText(1, "1");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->x, x0 + 4);
    EXPECT_EQ(number->y, y1 + (55 - 47) / 2);
    EXPECT_EQ(number->font.height, 35);
    const RecordingCanvas::TextOp* symbol = nullptr;
    for (const auto& t : canvas.texts)
        if (t.text == "n" && !symbol)
            symbol = &t;
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->font.height, 42); // 12 pt, whatever the chart's size
    EXPECT_EQ(symbol->x, x0 + 94 + 4);
    EXPECT_EQ(symbol->y, y1 + (55 - 56) / 2);
    // The swatch takes the thread's colour, exactly its cell; lines are black, 0.2 mm.
    const int swatchLeft = x0 + 94 + 179;
    EXPECT_EQ(canvas.FillAt(1, swatchLeft, y1), 0x123457u);
    EXPECT_EQ(canvas.FillAt(1, swatchLeft + 178, y1 + 54), 0x123457u);
    EXPECT_EQ(canvas.FillAt(1, swatchLeft - 1, y1), clWindow);
    EXPECT_EQ(canvas.FillAt(1, swatchLeft + 179, y1), clWindow);
    EXPECT_EQ(canvas.FillAt(1, swatchLeft, y1 + 55), 0x123458u);
    for (const auto& l : canvas.lines) {
        EXPECT_EQ(l.pen.Color, clBlack);
        EXPECT_EQ(l.pen.Width, 2);
    }
    // The empty last row is printed with its lines.
    const int lastTop = 262 + 31 * 55;
    for (int col = 0, x = x0; col < 5; x += layout.ColPitch(col), ++col) {
        SCOPED_TRACE(col);
        const int right = x + layout.ColPitch(col), bottom = lastTop + 55;
        EXPECT_TRUE(canvas.PenOnEdge(1, x, lastTop, x, bottom));
        EXPECT_TRUE(canvas.PenOnEdge(1, right, lastTop, right, bottom));
        EXPECT_TRUE(canvas.PenOnEdge(1, x, lastTop, right, lastTop));
        EXPECT_TRUE(canvas.PenOnEdge(1, x, bottom, right, bottom));
    }
}

// Joining the page's lines and fills must not change what it shows: every edge that cells drew
// shows the pen the last of them drew it with, every cell its fill, and the texts come in the same
// order, whether the page is drawn cell by cell or joined.
TEST(PrintLayoutJoined, ShowsWhatCellByCellDrawingShows)
{
    struct Case {
        const char* name;
        GridModel grid;
        PrintJobSetup setup;
    };
    GridModel tall = Chart(70, 60, true); // two strips of two pages
    tall.SetCell(5, 5, "");
    GridModel big = Chart(12, 12, true);
    big.Font.size = 20; // symbols overhanging their cells, drawn clipped
    GridModel looked = tall;
    ApplyChartLook(looked, {true, true, false, 14}, Legend(3).cellTable());
    Case cases[] = {{"chart", tall, Landscape()},
                    {"large symbols", big, Landscape()},
                    {"legend", Legend(40), Portrait()},
                    {"ten-stitch lines and coloured cells", looked, Landscape()}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas cells, joined;
        PrintJobSetup byCell = c.setup;
        PrintCellByCell(byCell);
        const int pages = PrintGridPages(c.grid, cells, byCell);
        ASSERT_EQ(PrintGridPages(c.grid, joined, c.setup), pages);
        EXPECT_LT(joined.lineCount * 10, cells.lineCount);
        EXPECT_LT(joined.fillCount * 4, cells.fillCount);

        ASSERT_EQ(joined.texts.size(), cells.texts.size());
        if (c.grid.PrintSettings.ColourChart) {
            // Drawn ink by ink: the same texts, in another order.
            const auto byPlace = [](const RecordingCanvas::TextOp& a, const RecordingCanvas::TextOp& b) {
                return std::tie(a.page, a.y, a.x) < std::tie(b.page, b.y, b.x);
            };
            std::stable_sort(cells.texts.begin(), cells.texts.end(), byPlace);
            std::stable_sort(joined.texts.begin(), joined.texts.end(), byPlace);
        }
        for (std::size_t i = 0; i < cells.texts.size(); ++i) {
            const auto& a = cells.texts[i];
            const auto& b = joined.texts[i];
            ASSERT_TRUE(a.page == b.page && a.x == b.x && a.y == b.y && a.text == b.text && a.font == b.font &&
                        a.clip == b.clip)
                << i;
        }
        for (const auto& f : cells.fills) {
            const int corners[4][2] = {{f.rect.left, f.rect.top},
                                       {f.rect.right - 1, f.rect.top},
                                       {f.rect.left, f.rect.bottom - 1},
                                       {f.rect.right - 1, f.rect.bottom - 1}};
            for (const auto& p : corners)
                ASSERT_EQ(joined.FillAt(f.page, p[0], p[1]), cells.FillAt(f.page, p[0], p[1]));
        }
        // Cell by cell, every line is one edge from one grid point to the next: what shows on an
        // edge is the last line with those ends; on a point, of the lines that show on their
        // edges, the last of the widest (joined, a wider pen stays on top). Where widest lines of
        // two colours cross (a white ten-stitch line over dark stitches across a black one), the
        // joined line that runs on keeps the point, cell by cell the one drawn last: either shows.
        std::map<std::array<int, 5>, GridPen> edges;
        std::map<std::array<int, 5>, std::size_t> lastOnEdge;
        for (std::size_t i = 0; i < cells.lines.size(); ++i) {
            const auto& l = cells.lines[i];
            edges[{l.page, l.x1, l.y1, l.x2, l.y2}] = l.pen;
            lastOnEdge[{l.page, l.x1, l.y1, l.x2, l.y2}] = i;
        }
        // The lines that show on their edges, in the order they were drawn.
        std::vector<std::size_t> shown;
        for (const auto& [e, i] : lastOnEdge)
            shown.push_back(i);
        std::sort(shown.begin(), shown.end());
        std::map<std::array<int, 3>, GridPen> points;
        std::map<std::array<int, 3>, std::set<ColorValue>> widestColours;
        const auto onPoint = [&](const std::array<int, 3>& p, const GridPen& pen) {
            const auto found = points.find(p);
            if (found != points.end() && found->second.Width > pen.Width)
                return;
            if (found == points.end() || found->second.Width < pen.Width)
                widestColours[p].clear();
            points[p] = pen;
            widestColours[p].insert(pen.Color);
        };
        for (const std::size_t i : shown) {
            const auto& l = cells.lines[i];
            onPoint({l.page, l.x1, l.y1}, l.pen);
            onPoint({l.page, l.x2, l.y2}, l.pen);
        }
        const auto same = [](const std::optional<GridPen>& a, const GridPen& b) {
            return a && a->Color == b.Color && a->Width == b.Width;
        };
        for (const auto& [e, pen] : edges)
            ASSERT_TRUE(same(joined.PenOnEdge(e[0], e[1], e[2], e[3], e[4]), pen))
                << e[0] << ": " << e[1] << "," << e[2] << " - " << e[3] << "," << e[4];
        for (const auto& [p, pen] : points) {
            const std::optional<GridPen> shownPen = joined.PenAt(p[0], p[1], p[2]);
            ASSERT_TRUE(same(shownPen, pen) ||
                        (shownPen && shownPen->Width == pen.Width && widestColours[p].contains(shownPen->Color)))
                << p[0] << ": " << p[1] << "," << p[2];
        }
    }
}

// The chart of a 25 × 25 scheme of three threads: symbols "n", "o" and "p" by column, so that each
// column has its thread's colour.
GridModel ThreeThreadChart()
{
    GridModel chart = Chart(25, 25, false);
    const char symbols[] = {'n', 'o', 'p'};
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 25; ++c)
            chart.SetCell(c, r, std::string(1, symbols[c % 3]));
    return chart;
}

CellTable ThreeThreadLegend()
{
    GridModel legend = Legend(3);
    legend.SetCell(1, 2, "o");
    legend.SetCell(1, 3, "p");
    legend.SetCell(2, 1, std::to_string(0x202020)); // dark: a white symbol
    legend.SetCell(2, 2, std::to_string(0xE0F0FF)); // light: a black one
    legend.SetCell(2, 3, std::to_string(0xFF0000)); // pure blue
    return legend.cellTable();
}

// On the page of a 25 × 25 chart (stitch x from 173 + 41·(x − 1), row y from 167 + 31·(y − 1)),
// the edges after the headings and after stitches 10 and 20 are 0.3 mm, across the whole chart
// with its headings: black, but white between two dark cells (those that take white symbols),
// where black would not show; every other edge between stitches stays silver, also the outer
// ones. The cells take their threads' colours, their symbols black or white.
TEST(PrintLayoutLook, TenStitchLinesAndColouredCells)
{
    GridModel chart = ThreeThreadChart();
    ApplyChartLook(chart, {true, true, false, 14}, ThreeThreadLegend());
    RecordingCanvas canvas;
    ASSERT_EQ(PrintGridPages(chart, canvas, Landscape()), 1);
    const auto x = [](int stitch) { return 173 + 41 * stitch; }; // the right edge of stitch `stitch`
    const auto y = [](int stitch) { return 167 + 31 * stitch; }; // the bottom edge of row `stitch`
    const auto pen = [&](int x1, int y1, int x2, int y2) {
        return canvas.PenOnEdge(1, x1, y1, x2, y2).value_or(GridPen{clWindow, 0});
    };
    // Columns of "p" (blue) and "n" (dark) take white symbols; the headings are white.
    const auto dark = [](int column) { return column > 0 && column % 3 != 1; };
    for (int i = 0; i <= 25; ++i) {
        SCOPED_TRACE(i);
        const bool heavy = i == 0 || i == 10 || i == 20;
        // Along every row, the vertical edge after stitch i; along every column, the horizontal one.
        const GridPen wantV = !heavy ? GridPen{clSilver, 1}
                              : dark(i) && dark(i + 1) ? GridPen{clWhite, 3}
                                                       : kTenStitchPen;
        for (int other = 1; other <= 25; ++other) {
            const GridPen wantH = !heavy ? GridPen{clSilver, 1} : i > 0 && dark(other) ? GridPen{clWhite, 3} : kTenStitchPen;
            const GridPen v = pen(x(i), y(other - 1), x(i), y(other));
            const GridPen h = pen(x(other - 1), y(i), x(other), y(i));
            ASSERT_TRUE(v.Color == wantV.Color && v.Width == wantV.Width) << "vertical, row " << other;
            ASSERT_TRUE(h.Color == wantH.Color && h.Width == wantH.Width) << "horizontal, column " << other;
        }
    }
    // After stitch 20 the line runs between blue and dark stitches: white.
    EXPECT_EQ(pen(x(20), y(4), x(20), y(5)).Color, clWhite);
    // The lines run on through the headings: column numbers and row numbers.
    EXPECT_EQ(pen(x(10), 100, x(10), 167).Width, 3);
    EXPECT_EQ(pen(100, y(10), 173, y(10)).Width, 3);
    // The empty last row keeps its designed lines.
    EXPECT_EQ(pen(x(10), y(25), x(10), y(26)).Width, 1);

    // Stitch (1, 1) is "o" (0xE0F0FF, black symbol), (2, 1) "p" (blue, white), (3, 1) "n" (dark,
    // white); the headings and the last row keep the window colour.
    EXPECT_EQ(canvas.FillAt(1, x(0) + 5, y(0) + 5), 0xE0F0FFu);
    EXPECT_EQ(canvas.FillAt(1, x(1) + 5, y(0) + 5), 0xFF0000u);
    EXPECT_EQ(canvas.FillAt(1, x(2) + 5, y(24) + 5), 0x202020u);
    EXPECT_EQ(canvas.FillAt(1, 110, y(0) + 5), clWindow);
    EXPECT_EQ(canvas.FillAt(1, x(0) + 5, y(25) + 5), clWindow);
    const auto inkOf = [&](const std::string& symbol) {
        for (const auto& t : canvas.texts)
            if (t.text == symbol)
                return t.font.font.color;
        return clWindow;
    };
    EXPECT_EQ(inkOf("o"), clBlack);
    EXPECT_EQ(inkOf("p"), clWhite);
    EXPECT_EQ(inkOf("n"), clWhite);
    EXPECT_EQ(inkOf("1"), clWindowText) << "row numbers keep their colour";
}

// Turning every option off again gives the designed page: the same drawing calls as a chart that
// never had a look.
TEST(PrintLayoutLook, EveryOptionOffPrintsTheDesignedPage)
{
    const GridModel designed = ThreeThreadChart();
    GridModel undone = designed;
    ApplyChartLook(undone, {true, true, true, 18}, ThreeThreadLegend());
    ApplyChartLook(undone, {}, ThreeThreadLegend());
    RecordingCanvas a, b;
    PrintGridPages(designed, a, Landscape());
    PrintGridPages(undone, b, Landscape());
    ASSERT_EQ(a.lines.size(), b.lines.size());
    for (std::size_t i = 0; i < a.lines.size(); ++i)
        ASSERT_TRUE(a.lines[i].x1 == b.lines[i].x1 && a.lines[i].y1 == b.lines[i].y1 && a.lines[i].x2 == b.lines[i].x2 &&
                    a.lines[i].y2 == b.lines[i].y2 && a.lines[i].pen.Color == b.lines[i].pen.Color &&
                    a.lines[i].pen.Width == b.lines[i].pen.Width)
            << i;
    ASSERT_EQ(a.fills.size(), b.fills.size());
    for (std::size_t i = 0; i < a.fills.size(); ++i)
        ASSERT_TRUE(a.fills[i].rect == b.fills[i].rect && a.fills[i].color == b.fills[i].color) << i;
    ASSERT_EQ(a.texts.size(), b.texts.size());
    for (std::size_t i = 0; i < a.texts.size(); ++i)
        ASSERT_TRUE(a.texts[i].text == b.texts[i].text && a.texts[i].font == b.texts[i].font) << i;
}

// The legend with its skeins column prints one more column, "Мотков", still on one portrait page.
// A 100 × 100 chart prints on four pages: strip 1 (corners x 0..63) and strip 2 (63..100), each
// in rows to corner y 52 and beyond. A line from corner (60, 50) to (70, 56) leaves page 1 at
// x = 63 (t = 0.3, y = 51.8), crosses page 3's corner region to y = 52 (t = 1/3, x = 63.33) and
// ends on page 4; it misses page 2. On page 1 corner (u, v) lies at (173 + 41u, 167 + 31v), on
// page 3 at (173 + 41(u − 63), 167 + 31v), on page 4 at (173 + 41(u − 63), 167 + 31(v − 52)).
TEST(PrintLayoutLines, ALineCrossingPagesIsDrawnOnEachAndLeavesTheCellsAlone)
{
    const GridModel plain = Chart(100, 100, true);
    GridModel chart = plain;
    const Backstitch line{FindDmc("White"), 60, 50, 70, 56};
    chart.OverLines = BackstitchOverLines(std::span(&line, 1));
    RecordingCanvas without, with;
    ASSERT_EQ(PrintGridPages(plain, without, Landscape()), 4);
    ASSERT_EQ(PrintGridPages(chart, with, Landscape()), 4);
    EXPECT_TRUE(without.strokes.empty());

    // The cells are drawn as before, and the lines after them on each page.
    ASSERT_EQ(with.texts.size(), without.texts.size());
    for (std::size_t i = 0; i < with.texts.size(); ++i)
        ASSERT_TRUE(with.texts[i].page == without.texts[i].page && with.texts[i].x == without.texts[i].x &&
                    with.texts[i].y == without.texts[i].y && with.texts[i].text == without.texts[i].text);
    ASSERT_EQ(with.lines.size(), without.lines.size());
    for (std::size_t i = 0; i < with.lines.size(); ++i)
        ASSERT_TRUE(with.lines[i].page == without.lines[i].page && with.lines[i].x1 == without.lines[i].x1 &&
                    with.lines[i].y2 == without.lines[i].y2);
    EXPECT_EQ(with.fills.size(), without.fills.size());

    const OverLineWidths widths = OverLineWidthsFor(31);
    EXPECT_EQ(widths.line, 4);     // 0.4 mm
    EXPECT_EQ(widths.outline, 6);  // 0.1 mm each side
    struct Piece {
        int page, x1, y1, x2, y2;
    };
    const Piece pieces[] = {{1, 173 + 41 * 60, 167 + 31 * 50, 173 + 41 * 63, 1773},
                            {3, 173, 1773, 187, 167 + 31 * 52},
                            {4, 187, 167, 173 + 41 * 7, 167 + 31 * 4}};
    ASSERT_EQ(with.strokes.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const Piece& p = pieces[i];
        const auto& outline = with.strokes[2 * i];
        const auto& thread = with.strokes[2 * i + 1];
        EXPECT_EQ(outline.page, p.page);
        EXPECT_EQ(std::tie(thread.page, thread.x1, thread.y1, thread.x2, thread.y2),
                  std::tie(p.page, p.x1, p.y1, p.x2, p.y2));
        EXPECT_EQ(std::tie(outline.x1, outline.y1, outline.x2, outline.y2), std::tie(p.x1, p.y1, p.x2, p.y2));
        EXPECT_EQ(outline.width, widths.outline);
        EXPECT_EQ(outline.color, clBlack) << "a white thread has a black edge";
        EXPECT_EQ(thread.width, widths.line);
        EXPECT_EQ(thread.color, DMCTable[FindDmc("White")].Color);
    }
    // Each page clips at its cells' cut edges, and lets the outline out along the chart's edges.
    const PaperRect& first = with.strokes[0].clip;
    EXPECT_EQ(std::tie(first.left, first.top, first.right, first.bottom),
              std::make_tuple(173 - 3, 167 - 3, 173 + 41 * 63, 167 + 31 * 52));
    const PaperRect& last = with.strokes[4].clip;
    EXPECT_EQ(std::tie(last.left, last.top, last.right, last.bottom),
              std::make_tuple(173, 167, 173 + 41 * 37 + 3, 167 + 31 * 49 + 3));
}

// Lines of 310 of 5 and 10 stitches and one of White of 1 stitch, on 14 count (25.4 / 14 mm a
// stitch): 27.2 mm and 1.8 mm, listed in legend order below the legend, whatever the skeins column
// does; a legend without lines stays as it is.
TEST(PrintLayoutLook, LegendWithBackstitchSection)
{
    GridModel legend = Legend(3);
    legend.SetCell(3, 1, "White");
    legend.SetCell(3, 2, "310");
    legend.SetCell(3, 3, "321");
    const CellTable designed = legend.cellTable();
    const int black = FindDmc("310"), white = FindDmc("White");
    const std::vector<Backstitch> lines = {{black, 0, 0, 3, 4}, {white, 5, 5, 5, 6}, {black, 0, 0, 10, 0}};
    EXPECT_EQ(LegendWithBackstitch(designed, {}, 14), designed);

    for (const bool skeins : {false, true, false}) {
        SCOPED_TRACE(skeins);
        ApplyLegendLook(legend, {false, false, skeins, 14}, lines);
        ASSERT_EQ(legend.RowCount(), 5 + 3);
        EXPECT_EQ(legend.ColCount(), skeins ? 6 : 5);
        EXPECT_EQ(Cp1251ToUtf8(legend.Cells(3, 5)), "Бэкстич");
        EXPECT_EQ(Cp1251ToUtf8(legend.Cells(4, 5)), "Длина");
        EXPECT_EQ(legend.Cells(3, 6), "White");
        EXPECT_EQ(legend.Cells(2, 6), std::to_string(DMCTable[white].Color));
        EXPECT_EQ(Cp1251ToUtf8(legend.Cells(4, 6)), "0,2 см");
        EXPECT_EQ(legend.Cells(3, 7), "310");
        EXPECT_EQ(Cp1251ToUtf8(legend.Cells(4, 7)), "2,7 см");
        EXPECT_EQ(legend.Cells(0, 7) + legend.Cells(1, 7), "") << "no number, no symbol";
    }
    // The chart's colours read White's row only for the empty cells, not the section's rows.
    const ChartCellColours colours(legend.cellTable()), plain(designed);
    EXPECT_EQ(colours.ForCell("").fill, plain.ForCell("").fill);

    RecordingCanvas canvas;
    ASSERT_EQ(PrintGridPages(legend, canvas, Portrait()), 1);
    EXPECT_NE(canvas.FindText(1, Utf8ToCp1251("Бэкстич")), nullptr);
    EXPECT_NE(canvas.FindText(1, Utf8ToCp1251("2,7 см")), nullptr);

    ApplyLegendLook(legend, {}, {});
    EXPECT_EQ(legend.cellTable(), designed);
    EXPECT_EQ(Cp1251ToUtf8(CentimetresText(0.04)), "0,0 см");
    EXPECT_EQ(Cp1251ToUtf8(CentimetresText(1234.56)), "123,5 см");
}

TEST(PrintLayoutLook, LegendWithSkeinsColumn)
{
    GridModel legend = Legend(30);
    ApplyLegendLook(legend, {false, false, true, 14});
    ASSERT_EQ(legend.ColCount(), 6);
    EXPECT_EQ(Cp1251ToUtf8(legend.Cells(5, 0)), "Мотков");
    EXPECT_EQ(legend.Cells(5, 1), "1");   // 10 stitches
    EXPECT_EQ(legend.Cells(5, 31), "");   // the empty last row
    RecordingCanvas canvas;
    PrintLayout layout(legend, canvas, Portrait());
    ASSERT_EQ(layout.CountPages(), 1);
    EXPECT_EQ(layout.Strips()[0].last, 5);
    EXPECT_EQ(layout.Strips()[0].left, (1980 - 831 - 179) / 2);
    layout.PrintPages(1);
    EXPECT_NE(canvas.FindText(1, Utf8ToCp1251("Мотков")), nullptr);

    ApplyLegendLook(legend, {});
    EXPECT_EQ(legend.ColCount(), 5);
    EXPECT_EQ(legend.cellTable(), Legend(30).cellTable());
}

TEST(ChartLook, SymbolInkByLuminance)
{
    const struct {
        ColorValue fill;
        ColorValue ink;
    } cases[] = {{clWhite, clBlack}, {clBlack, clWhite}, {0x00FFFF, clBlack} /* yellow */,
                 {0xFF0000, clWhite} /* blue */, {0x0000FF, clBlack} /* red */, {0x00FF00, clBlack} /* green */,
                 {0x757575, clWhite}, {0x767676, clBlack} /* mid grey: where the two contrasts cross */};
    for (const auto& c : cases)
        EXPECT_EQ(InkOn(c.fill), c.ink) << std::hex << c.fill;
}

TEST(ChartLook, ZoomSteps)
{
    EXPECT_EQ(NearestZoom(100), 100);
    EXPECT_EQ(NearestZoom(-5), 50);
    EXPECT_EQ(NearestZoom(100000), 400);
    EXPECT_EQ(ZoomIn(100), 125);
    EXPECT_EQ(ZoomIn(400), 400);
    EXPECT_EQ(ZoomOut(100), 75);
    EXPECT_EQ(ZoomOut(50), 50);
    for (const int step : kZoomSteps) {
        EXPECT_EQ(Zoomed(12, step) * 100, 12 * step) << "whole pixels at " << step;
        EXPECT_EQ(Zoomed(24, step) * 100, 24 * step) << step;
    }
}

TEST(PrintLayoutErrors, BadPagesAndHugeColumnsEndCleanly)
{
    const GridModel chart = Chart(3, 3, false);
    RecordingCanvas canvas;
    PrintJobSetup empty = Landscape();
    empty.pageWidth = 0;
    EXPECT_THROW(PrintLayout(chart, canvas, empty), std::invalid_argument);
    PrintJobSetup noDpi = Landscape();
    noDpi.screenDpi = 0;
    EXPECT_THROW(PrintLayout(chart, canvas, noDpi), std::invalid_argument);

    // Columns wider than the page each get a strip of their own instead of hanging the layout.
    GridModel wide = Chart(3, 3, false);
    for (int c = 0; c < wide.ColCount(); ++c)
        wide.SetColWidth(c, 5000);
    PrintLayout layout(wide, canvas, Landscape());
    EXPECT_EQ(layout.Strips().size(), 4u);
    EXPECT_EQ(layout.CountPages(), 4);
}

} // namespace
} // namespace velmora
