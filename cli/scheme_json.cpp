#include "scheme_json.h"

#include "scheme/cp1251.h"

namespace velmora::cli {
namespace {

constexpr int kLegendSymbolColumn = 1;
constexpr int kLegendColumns = 5;

void WriteString(std::ostream& out, const std::string& utf8)
{
    out << '"';
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out << '\\' << ch;
        } else if (byte < 0x20) {
            const char* hex = "0123456789abcdef";
            out << "\\u00" << hex[byte >> 4] << hex[byte & 0xF];
        } else {
            out << ch;
        }
    }
    out << '"';
}

// A symbol cell holds one byte of the symbol font; an empty cell has code 0.
int SymbolCode(const std::string& cell)
{
    return cell.empty() ? 0 : static_cast<unsigned char>(cell.front());
}

void WriteLegend(std::ostream& out, const CellTable& legend)
{
    out << "  \"legend\": [\n";
    for (int row = 0; row < legend.rowCount(); ++row) {
        out << "    [";
        for (int col = 0; col < kLegendColumns; ++col) {
            if (col > 0)
                out << ", ";
            const std::string& text = legend.text(col, row);
            if (col == kLegendSymbolColumn && row > 0)
                out << SymbolCode(text);
            else
                WriteString(out, Cp1251ToUtf8(text));
        }
        out << (row + 1 < legend.rowCount() ? "],\n" : "]\n");
    }
    out << "  ],\n";
}

void WriteChart(std::ostream& out, const CellTable& chart, int width, int height)
{
    out << "  \"chart\": [\n";
    std::string line;
    for (int y = 0; y < height; ++y) {
        line = "    [";
        for (int x = 0; x < width; ++x) {
            if (x > 0)
                line += ',';
            line += std::to_string(SymbolCode(chart.text(x + 1, y + 1)));
        }
        line += y + 1 < height ? "],\n" : "]\n";
        out << line;
    }
    out << "  ]\n";
}

} // namespace

void WriteSchemeJson(std::ostream& out, const SchemeSummary& summary, const SchemeDocument& document)
{
    out << "{\n  \"picture\": ";
    WriteString(out, summary.picture);
    out << ",\n  \"width\": " << summary.width << ",\n  \"height\": " << summary.height
        << ",\n  \"colors\": " << summary.colors << ",\n  \"dithering\": " << (summary.dithering ? "true" : "false")
        << ",\n";
    WriteLegend(out, document.legend);
    WriteChart(out, document.chart, summary.width, summary.height);
    out << "}\n";
}

} // namespace velmora::cli
