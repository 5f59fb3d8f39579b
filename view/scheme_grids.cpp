#include "view/scheme_grids.h"

#include "scheme/color_text.h"
#include "scheme/legend_columns.h"
#include "scheme/scheme_builder.h"
#include "view/print_layout.h"
#include "view/symbol_font.h"

#include <string>
#include <utility>

namespace velmora {

GridFont DefaultSymbolFont() { return ToGridFont(SymbolFont{}); }

void asg_ImageGetAlignment(const GridModel&, int ARow, int ACol, HorizontalAlignment& HAlign, VerticalAlignment& VAlign)
{
    if (ACol > 0 && ARow > 0) {
        HAlign = HorizontalAlignment::Center;
        VAlign = VerticalAlignment::Center;
    }
}

void asg_ImageGetCellPrintBorder(const GridModel&, int ARow, int ACol, GridPen& APen, CellBorders&)
{
    APen.Width = 1;
    if (ARow > 0 && ACol > 0)
        APen.Color = clSilver;
}

void asg_SymbolsGetCellColor(const GridFont& symbolFont, const GridModel& Sender, int ARow, int ACol,
                             CellDrawState, GridBrush& ABrush, GridFont& AFont)
{
    if (ARow <= 0)
        return;
    if (ACol == LegendColumn::Symbol) {
        AFont.name = symbolFont.name;
        AFont.style = symbolFont.style;
        AFont.charset = symbolFont.charset;
        // The legend's own size scaled up, not the size chosen for the chart.
        AFont.size = AFont.size * 12 / 10;
    } else if (ACol == LegendColumn::Colour) {
        const std::optional<Color> colour = ColorFromText(Sender.Cells(ACol, ARow));
        if (!colour)
            return;
        ABrush.Color = *colour;
        AFont.color = ABrush.Color; // the swatch shows no number
    }
}

void asg_SymbolsGetCellPrintColor(const GridFont& symbolFont, const GridModel& Sender, int ARow, int ACol,
                                  CellDrawState AState, GridBrush& ABrush, GridFont& AFont)
{
    asg_SymbolsGetCellColor(symbolFont, Sender, ARow, ACol, AState, ABrush, AFont);
}

namespace {

GridFont Arial(int pixelHeight)
{
    GridFont font;
    font.name = "Arial";
    font.size = GridFont::SizeForPixelHeight(pixelHeight);
    font.charset = kRussianCharset;
    font.color = clWindowText;
    return font;
}

void DesignCommon(GridModel& model)
{
    model.Color = clWindow;
    model.FixedColor = clBtnFace;
    model.GridLineColor = clSilver;
    model.GridLineWidth = 1;
    model.ShowSelection = false;
    model.SetColCount(5);
    model.SetRowCount(6);
}

} // namespace

void DesignChartGrid(GridModel& model)
{
    DesignCommon(model);
    model.SetDefaultColWidth(12);
    model.SetDefaultRowHeight(12);
    model.SetFixedColWidth(24);
    model.SetFixedRowHeight(24);
    model.Font = DefaultSymbolFont();
    model.FixedFont = Arial(8);
    model.VAlignment = VerticalAlignment::Bottom;
    model.SetColumnHeaders({"", "1", "2", "3", "4"});
    model.SetRowHeaders({"", "1", "2", "3", "4"});
    model.PrintSettings = ChartPrintSettings();
    model.OnGetAlignment = asg_ImageGetAlignment;
    model.OnGetCellPrintBorder = asg_ImageGetCellPrintBorder;
    model.OnGetCellColor = nullptr;
    model.OnGetCellPrintColor = nullptr;
}

void DesignLegendGrid(GridModel& model, SymbolFontSource symbolFont)
{
    DesignCommon(model);
    model.SetDefaultColWidth(64);
    model.SetDefaultRowHeight(20);
    model.SetFixedRowHeight(20);
    const int widths[] = {32, 64, 64, 64, 72};
    for (int c = 0; c < 5; ++c)
        model.SetColWidth(c, widths[c]);
    model.Font = Arial(13);
    model.FixedFont = Arial(13);
    model.VAlignment = VerticalAlignment::Center;
    model.SetColumnHeaders(std::vector<std::string>(kLegendHeaders.begin(), kLegendHeaders.end()));
    model.SetRowHeaders({});
    model.PrintSettings = LegendPrintSettings();
    auto font = [symbolFont = std::move(symbolFont)] { return symbolFont ? symbolFont() : DefaultSymbolFont(); };
    model.OnGetCellColor = [font](const GridModel& sender, int row, int col, CellDrawState state, GridBrush& brush,
                                  GridFont& cellFont) {
        asg_SymbolsGetCellColor(font(), sender, row, col, state, brush, cellFont);
    };
    model.OnGetCellPrintColor = [font](const GridModel& sender, int row, int col, CellDrawState state,
                                       GridBrush& brush, GridFont& cellFont) {
        asg_SymbolsGetCellPrintColor(font(), sender, row, col, state, brush, cellFont);
    };
    model.OnGetAlignment = nullptr;
    model.OnGetCellPrintBorder = nullptr;
}

} // namespace velmora
