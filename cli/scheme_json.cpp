#include "scheme_json.h"

#include "scheme/cp1251.h"
#include "scheme/skeins.h"

#include <cmath>

#include <string_view>

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

// A file name on a system whose names are bytes need not be UTF-8: every byte that does not
// belong to a well-formed UTF-8 sequence becomes U+FFFD, so that the file stays valid JSON.
std::string ValidUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80                    ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        bool valid = length > 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (valid && length > 2) {
            // No overlong forms, no surrogates, nothing beyond U+10FFFF.
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            valid = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0) &&
                    !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
        }
        if (valid) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            out += "\xef\xbf\xbd"; // U+FFFD
            ++i;
        }
    }
    return out;
}

// A symbol cell holds one byte of the symbol font; an empty cell has code 0.
int SymbolCode(const std::string& cell)
{
    return cell.empty() ? 0 : static_cast<unsigned char>(cell.front());
}

void WriteLegend(std::ostream& out, const CellTable& legend)
{
    out << "  \"legend\": [\n";
    for (int row = 0; row < legend.rows(); ++row) {
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
        out << (row + 1 < legend.rows() ? "],\n" : "]\n");
    }
    out << "  ],\n";
}

// The finished size in whole millimetres.
long FinishedSize(int stitches, int count) { return std::lround(FinishedMillimetres(stitches, count)); }

void WriteFabric(std::ostream& out, const SchemeSummary& summary)
{
    out << "  \"fabric\": {\"count\": " << summary.fabricCount
        << ", \"width_mm\": " << FinishedSize(summary.width, summary.fabricCount)
        << ", \"height_mm\": " << FinishedSize(summary.height, summary.fabricCount) << "},\n";
}

void WriteThreads(std::ostream& out, const CellTable& legend, int count)
{
    out << "  \"threads\": [";
    const std::vector<ThreadUse> uses = ThreadUses(legend, count);
    for (std::size_t i = 0; i < uses.size(); ++i) {
        out << (i == 0 ? "\n    {\"thread\": " : ",\n    {\"thread\": ");
        WriteString(out, Cp1251ToUtf8(uses[i].thread));
        out << ", \"stitches\": " << uses[i].stitches << ", \"skeins\": " << uses[i].skeins << "}";
    }
    out << (uses.empty() ? "],\n" : "\n  ],\n");
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
    WriteString(out, ValidUtf8(summary.picture));
    out << ",\n  \"width\": " << summary.width << ",\n  \"height\": " << summary.height
        << ",\n  \"colors\": " << summary.colors << ",\n  \"dithering\": " << (summary.dithering ? "true" : "false")
        << ",\n";
    WriteFabric(out, summary);
    WriteLegend(out, document.legend);
    WriteThreads(out, document.legend, summary.fabricCount);
    WriteChart(out, document.chart, summary.width, summary.height);
    out << "}\n";
}

} // namespace velmora::cli
