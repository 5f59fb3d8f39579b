#include "thread_edit.h"

#include "color_distance.h"
#include "cp1251.h"
#include "legend_columns.h"
#include "request_limits.h"
#include "symbol_spread.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace velmora {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

std::string Name(int dmc) { return DMCTable[At(dmc)].Name; }

int Number(const std::string& text, int fallback)
{
    int value = fallback;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// Where in `threads` the catalogue thread `dmc` is, or −1.
int Find(const std::vector<LegendEntry>& threads, int dmc)
{
    const auto it = std::find_if(threads.begin(), threads.end(), [dmc](const LegendEntry& t) { return t.dmc == dmc; });
    return it == threads.end() ? -1 : static_cast<int>(it - threads.begin());
}

} // namespace

std::string FreeSymbol(const SchemeDocument& document, std::span<const LegendEntry> threads, int to)
{
    const auto free = [&](const std::string& symbol) {
        return !symbol.empty() &&
               std::none_of(threads.begin(), threads.end(), [&](const LegendEntry& t) { return t.symbol == symbol; });
    };
    for (const std::string& symbol : document.request.symbols) {
        if (free(symbol))
            return symbol;
    }
    for (const std::string& symbol : DefaultSymbolTexts(kMaxColors)) {
        if (free(symbol))
            return symbol;
    }
    for (int code = kFirstSymbolCode; code < kFirstSymbolCode + kSymbolCandidateCount; ++code) {
        const std::string symbol(1, static_cast<char>(code));
        if (free(symbol))
            return symbol;
    }
    throw ThreadEditError("no symbol of the scheme's list is free for thread " + Name(to),
                          "в списке символов схемы нет свободного символа для нитки " + Name(to));
}

CellTable SortedLegend(std::span<const LegendEntry> threads)
{
    std::vector<int> dmcs;
    for (const LegendEntry& thread : threads)
        dmcs.push_back(thread.dmc);
    std::vector<LegendEntry> lightToDark;
    for (const int place : LightToDarkOrder(dmcs))
        lightToDark.push_back(threads[At(place)]);
    return LegendTable(lightToDark);
}

std::vector<LegendEntry> SchemeThreads(const SchemeDocument& document)
{
    const CellTable& legend = document.legend;
    std::vector<std::pair<int, LegendEntry>> numbered;
    for (int row = 1; row < legend.rows(); ++row) {
        const std::string name = legend.text(LegendColumn::Name, row);
        if (name.empty())
            continue;
        const int dmc = FindDmc(name);
        if (dmc < 0) {
            const std::string shown = Cp1251ToUtf8(name);
            throw ThreadEditError("the legend names thread " + shown + ", which is not in the catalogue",
                                  "в легенде нитка " + shown + ", которой нет в каталоге");
        }
        numbered.push_back({Number(legend.text(LegendColumn::Number, row), row),
                            {dmc, legend.text(LegendColumn::Symbol, row),
                             Number(legend.text(LegendColumn::Count, row), 0)}});
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LegendEntry> threads;
    threads.reserve(numbered.size());
    for (auto& entry : numbered)
        threads.push_back(std::move(entry.second));
    return threads;
}

std::vector<int> ThreadsNearestFirst(int dmc)
{
    const Color color = DMCTable[At(dmc)].Color;
    std::vector<int> threads;
    for (int i = 0; i < kDmcCount; ++i) {
        if (i != dmc)
            threads.push_back(i);
    }
    std::stable_sort(threads.begin(), threads.end(), [color](int a, int b) {
        return ColorDistance(DMCTable[At(a)].Color, color) < ColorDistance(DMCTable[At(b)].Color, color);
    });
    return threads;
}

ThreadEdit ReplaceThread(SchemeDocument& document, int from, int to)
{
    std::vector<LegendEntry> threads = SchemeThreads(document);
    const int fromPlace = from >= 0 && from < kDmcCount ? Find(threads, from) : -1;
    if (fromPlace < 0)
        throw ThreadEditError("thread " + (from >= 0 && from < kDmcCount ? Name(from) : std::to_string(from)) +
                                  " is not in the scheme",
                              "нитки " + (from >= 0 && from < kDmcCount ? Name(from) : std::to_string(from)) +
                                  " нет в схеме");
    if (to < 0 || to >= kDmcCount)
        throw ThreadEditError("no catalogue thread has the index " + std::to_string(to),
                              "в каталоге нет нитки с номером " + std::to_string(to));
    if (to == from)
        throw ThreadEditError("thread " + Name(from) + " cannot replace itself",
                              "нитка " + Name(from) + " не может заменить саму себя");

    const int toPlace = Find(threads, to);
    ThreadEdit edit;
    edit.from = from;
    edit.to = to;
    edit.merged = toPlace >= 0;
    edit.symbolBefore = threads[At(fromPlace)].symbol;
    const std::string symbolAfter = edit.merged       ? threads[At(toPlace)].symbol
                                    : to == kDmcWhite   ? std::string()
                                    : from != kDmcWhite ? edit.symbolBefore
                                                        : FreeSymbol(document, threads, to);

    CellTable& chart = document.chart;
    const int width = chart.columns() - 1, height = chart.rows() - 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (chart.textView(x + 1, y + 1) == edit.symbolBefore)
                edit.stitches.push_back(y * width + x);
        }
    }
    const int moved = static_cast<int>(edit.stitches.size());
    if (edit.merged) {
        threads[At(toPlace)].stitches += moved;
        threads.erase(threads.begin() + fromPlace);
    } else {
        threads[At(fromPlace)] = {to, symbolAfter, moved};
    }
    edit.legendBefore = std::exchange(document.legend, SortedLegend(threads));
    if (symbolAfter != edit.symbolBefore) {
        for (const std::int32_t stitch : edit.stitches)
            chart.setText(stitch % width + 1, stitch / width + 1, symbolAfter);
    }
    if (document.picture.width() == width && document.picture.height() == height) {
        const Color color = DMCTable[At(to)].Color;
        auto pixels = document.picture.pixels();
        for (const std::int32_t stitch : edit.stitches)
            pixels[At(stitch)] = color;
    }
    return edit;
}

void UndoThreadEdit(SchemeDocument& document, const ThreadEdit& edit)
{
    CellTable& chart = document.chart;
    const int width = chart.columns() - 1;
    document.legend = edit.legendBefore;
    for (const std::int32_t stitch : edit.stitches)
        chart.setText(stitch % width + 1, stitch / width + 1, edit.symbolBefore);
    if (document.picture.width() == width && document.picture.height() == chart.rows() - 2) {
        const Color color = DMCTable[At(edit.from)].Color;
        auto pixels = document.picture.pixels();
        for (const std::int32_t stitch : edit.stitches)
            pixels[At(stitch)] = color;
    }
}

} // namespace velmora
