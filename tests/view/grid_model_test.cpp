#include "view/grid_model.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {
namespace {

TEST(GridModel, CountsKeepTextsAndSizesAndGiveNewLinesTheDefaultSize)
{
    GridModel model;
    model.SetDefaultColWidth(12);
    model.SetDefaultRowHeight(10);
    model.SetFixedColWidth(24);
    model.SetColWidth(2, 30);
    model.SetCell(2, 3, "kept");
    model.SetCell(4, 4, "dropped");
    CellTable turned = model.cellTable();
    turned.setRotatedText(3, 0, "gone");
    model.setCellTable(std::move(turned));

    model.SetColCount(3);
    model.SetRowCount(4);
    model.SetColCount(7);
    model.SetRowCount(6);
    EXPECT_EQ(model.Cells(2, 3), "kept");
    EXPECT_EQ(model.Cells(4, 4), "");
    EXPECT_FALSE(model.IsRotated(3, 0)) << "an angle must not survive its cell";
    const std::vector<int> widths = {24, 12, 30, 12, 12, 12, 12};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(model.ColWidth(c), widths[static_cast<std::size_t>(c)]) << "column " << c;
    EXPECT_EQ(model.TotalWidth(), 24 + 30 + 5 * 12);
    EXPECT_EQ(model.TotalHeight(), 24 + 5 * 10);
}

TEST(GridModel, ANewTableKeepsTheSizesOfExistingLines)
{
    GridModel model;
    model.SetDefaultColWidth(12);
    model.SetFixedColWidth(24);
    model.SetColWidth(3, 40);
    CellTable table;
    table.setColumns(8);
    table.setRows(3);
    table.setRotatedText(5, 0, " 5");
    model.setCellTable(table);
    EXPECT_EQ(model.ColCount(), 8);
    EXPECT_EQ(model.RowCount(), 3);
    EXPECT_EQ(model.ColWidth(0), 24);
    EXPECT_EQ(model.ColWidth(3), 40);
    EXPECT_EQ(model.ColWidth(7), 12);
    EXPECT_EQ(model.CellAngle(5, 0), 90);
    EXPECT_FALSE(model.IsRotated(1, 0));
    EXPECT_EQ(model.CellAngle(1, 0), 0);
}

TEST(GridModel, PositionsMapToCellsAndClampIntoTheGrid)
{
    GridModel model;
    model.SetColCount(4);
    model.SetColWidth(0, 10);
    model.SetColWidth(1, 5);
    model.SetColWidth(2, 0);
    model.SetColWidth(3, 20);
    struct Case {
        std::int64_t x;
        int col;
    };
    // Column 2 has no width, so no position lies in it.
    const Case cases[] = {{-5, 0}, {0, 0}, {9, 0}, {10, 1}, {14, 1}, {15, 3}, {34, 3}, {35, 3}, {1000, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(model.ColAt(c.x), c.col) << "x = " << c.x;
    EXPECT_EQ(model.ColLeft(3), 15);
}

TEST(GridModel, TheCurrentCellStaysInTheNormalCells)
{
    GridModel model; // 5 × 5
    EXPECT_EQ(model.Col(), 1);
    EXPECT_EQ(model.Row(), 1);
    model.SetCurrent(0, 0);
    EXPECT_EQ(model.Col(), 1);
    EXPECT_EQ(model.Row(), 1);
    model.SetCurrent(3, 9);
    EXPECT_EQ(model.Col(), 3);
    EXPECT_EQ(model.Row(), 4);
    model.SetRow(2);
    EXPECT_EQ(model.Col(), 3) << "setting the row keeps the column";
    EXPECT_EQ(model.Row(), 2);
    model.SetColCount(3);
    EXPECT_EQ(model.Col(), 2);
}

TEST(GridModel, HeadersAreWrittenAsFarAsTheGridReaches)
{
    GridModel model;
    model.SetColCount(3);
    model.SetColumnHeaders({"", "1", "2", "3", "4"});
    model.SetRowHeaders({"", "a", "b"});
    EXPECT_EQ(model.Cells(1, 0), "1");
    EXPECT_EQ(model.Cells(2, 0), "2");
    EXPECT_EQ(model.Cells(0, 2), "b");
    EXPECT_EQ(model.Cells(0, 3), "");
}

TEST(GridModel, RefusesBadCountsSizesAndCells)
{
    GridModel model;
    EXPECT_THROW(model.SetColCount(-1), std::invalid_argument);
    EXPECT_THROW(model.SetRowCount(CellTable::kMaxCells), std::length_error);
    EXPECT_EQ(model.RowCount(), 5) << "a refused count changes nothing";
    EXPECT_EQ(model.TotalHeight(), 5 * model.DefaultRowHeight());
    EXPECT_THROW(model.SetColWidth(5, 10), std::out_of_range);
    EXPECT_THROW(model.SetRowHeight(0, -1), std::invalid_argument);
    EXPECT_THROW(model.Cells(5, 0), std::out_of_range);
}

// A grid whose normal and fixed looks tell apart which one a cell started from.
GridModel ModelWithTwoLooks()
{
    GridModel model;
    model.Font.name = "Normal";
    model.FixedFont.name = "Fixed";
    model.Color = 0x111111;
    model.FixedColor = 0x222222;
    return model;
}

TEST(GridModel, EveryCellStartsWithFreshColoursAndFont)
{
    GridModel model = ModelWithTwoLooks();
    int calls = 0;
    model.OnGetCellColor = [&](const GridModel&, int row, int col, CellDrawState, GridBrush& brush, GridFont& font) {
        ++calls;
        EXPECT_EQ(font.name, (row == 0 || col == 0) ? "Fixed" : "Normal");
        brush.Color = 0x333333;
        font.name = "Changed";
    };
    GridBrush brush;
    GridFont font;
    for (int pass = 0; pass < 2; ++pass) {
        model.CellColors(0, 2, {}, brush, font);
        EXPECT_EQ(brush.Color, 0x333333u);
        model.CellColors(2, 2, {}, brush, font);
        EXPECT_EQ(font.name, "Changed");
    }
    EXPECT_EQ(calls, 4);
}

TEST(GridModel, PaperTakesTheWindowColourAndAsksThePrintCallbackOnly)
{
    GridModel model = ModelWithTwoLooks();
    model.SelectionColor = 0x444444;
    model.ShowSelection = true;
    model.OnGetCellColor = [](const GridModel&, int, int, CellDrawState, GridBrush&, GridFont&) {
        ADD_FAILURE() << "the screen's callback asked while printing";
    };
    GridBrush brush;
    GridFont font;
    model.PrintColors(0, 2, brush, font);
    EXPECT_EQ(brush.Color, 0x111111u) << "fixed colour is screen-only";
    EXPECT_EQ(font.name, "Fixed");
    model.PrintColors(2, 2, brush, font);
    EXPECT_EQ(brush.Color, 0x111111u);
    EXPECT_EQ(font.name, "Normal");

    std::vector<bool> fixedSeen;
    model.OnGetCellPrintColor = [&](const GridModel&, int, int, CellDrawState state, GridBrush& b, GridFont&) {
        fixedSeen.push_back(state.fixed);
        b.Color = 0x555555;
    };
    model.PrintColors(0, 2, brush, font);
    model.PrintColors(2, 2, brush, font);
    EXPECT_EQ(fixedSeen, (std::vector<bool>{true, false}));
    EXPECT_EQ(brush.Color, 0x555555u);
}

TEST(GridModel, SelectionColoursOnlyWhenShown)
{
    GridModel model;
    GridBrush brush;
    GridFont font;
    model.CellColors(1, 1, {.selected = true}, brush, font);
    EXPECT_EQ(brush.Color, clWindow);
    model.ShowSelection = true;
    model.CellColors(1, 1, {.selected = true}, brush, font);
    EXPECT_EQ(brush.Color, clHighlight);
    EXPECT_EQ(font.color, clHighlightText);
    model.CellColors(1, 1, {}, brush, font);
    EXPECT_EQ(brush.Color, clWindow);
}

TEST(GridModel, AlignmentStartsLeftWithTheGridsVerticalAlignment)
{
    GridModel model;
    model.VAlignment = VerticalAlignment::Bottom;
    HorizontalAlignment h = HorizontalAlignment::Center;
    VerticalAlignment v = VerticalAlignment::Top;
    model.CellAlignment(1, 1, h, v);
    EXPECT_EQ(h, HorizontalAlignment::Left);
    EXPECT_EQ(v, VerticalAlignment::Bottom);
    model.OnGetAlignment = [](const GridModel&, int row, int col, HorizontalAlignment& ha, VerticalAlignment&) {
        if (row == 2 && col == 1)
            ha = HorizontalAlignment::Right;
    };
    model.CellAlignment(1, 2, h, v);
    EXPECT_EQ(h, HorizontalAlignment::Right);
}

TEST(GridFont, PointsAndPixelsAt96Dpi)
{
    struct Case {
        int points, pixels;
    };
    // 8-pixel fonts are 6 pt, 13-pixel fonts 10 pt, and the legend's 12 pt symbols 16 pixels.
    for (const Case c : {Case{6, 8}, Case{10, 13}, Case{12, 16}, Case{20, 27}}) {
        GridFont font;
        font.size = c.points;
        EXPECT_EQ(font.PixelHeight(), c.pixels) << c.points << " pt";
    }
    EXPECT_EQ(GridFont::SizeForPixelHeight(8), 6);
    EXPECT_EQ(GridFont::SizeForPixelHeight(13), 10);
}

} // namespace
} // namespace velmora
