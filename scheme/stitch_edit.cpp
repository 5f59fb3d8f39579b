#include "stitch_edit.h"

#include "picture/color.h"
#include "thread_edit.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmora {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

int ChartWidth(const SchemeDocument& document) { return document.chart.columns() - 1; }
int ChartHeight(const SchemeDocument& document) { return document.chart.rows() - 2; }

unsigned char SymbolByte(std::string_view symbol) { return symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front()); }

std::string SymbolText(unsigned char code) { return code == 0 ? std::string() : std::string(1, static_cast<char>(code)); }

unsigned char StitchSymbol(const SchemeDocument& document, std::int32_t stitch)
{
    const int width = ChartWidth(document);
    return SymbolByte(document.chart.textView(stitch % width + 1, stitch / width + 1));
}

bool PictureFollowsChart(const SchemeDocument& document)
{
    return document.picture.width() == ChartWidth(document) && document.picture.height() == ChartHeight(document);
}

// Where each symbol's thread is in `threads`, −1 for a symbol of no thread; an empty cell is
// White's.
std::array<int, 256> PlacesOfSymbols(std::span<const LegendEntry> threads)
{
    std::array<int, 256> places;
    places.fill(-1);
    for (std::size_t k = 0; k < threads.size(); ++k)
        places[SymbolByte(threads[k].symbol)] = static_cast<int>(k);
    return places;
}

int PlaceOf(std::span<const LegendEntry> threads, int dmc)
{
    const auto it = std::find_if(threads.begin(), threads.end(), [dmc](const LegendEntry& t) { return t.dmc == dmc; });
    return it == threads.end() ? -1 : static_cast<int>(it - threads.begin());
}

// The place of `dmc` in `threads`, adding it with no crosses and a free symbol when missing.
int PlaceAdding(const SchemeDocument& document, std::vector<LegendEntry>& threads, int dmc)
{
    const int place = PlaceOf(threads, dmc);
    if (place >= 0)
        return place;
    threads.push_back({dmc, dmc == kDmcWhite ? std::string() : FreeSymbol(document, threads, dmc), 0});
    return static_cast<int>(threads.size()) - 1;
}

void CheckThread(int dmc)
{
    if (dmc < 0 || dmc >= kDmcCount)
        throw ThreadEditError("no catalogue thread has the index " + std::to_string(dmc),
                              "в каталоге нет нитки с номером " + std::to_string(dmc));
}

ThreadEditError UnknownSymbol(int x, int y)
{
    const std::string place = std::to_string(x + 1) + ", " + std::to_string(y + 1);
    return ThreadEditError("the stitch at column, row " + place + " has a symbol that no legend row has",
                           "у стежка в столбце, строке " + place + " символ, которого нет в легенде");
}

// Each stitch of `changes` once, with the thread it was given last, in the order of the stitches.
std::vector<StitchChange> LastChangeOfEachStitch(std::span<const StitchChange> changes)
{
    std::vector<StitchChange> last(changes.begin(), changes.end());
    std::stable_sort(last.begin(), last.end(), [](const StitchChange& a, const StitchChange& b) { return a.stitch < b.stitch; });
    std::vector<StitchChange> once;
    for (std::size_t i = 0; i < last.size(); ++i) {
        if (i + 1 == last.size() || last[i + 1].stitch != last[i].stitch)
            once.push_back(last[i]);
    }
    return once;
}

// The legend's threads with `line`'s thread among them; the document's legend is sorted anew
// only when the thread came in.
StitchEdit EditOfLines(SchemeDocument& document, int dmcNeeded)
{
    StitchEdit edit;
    edit.backstitchesChanged = true;
    edit.backstitchesBefore = document.backstitches;
    std::vector<LegendEntry> threads = SchemeThreads(document);
    if (dmcNeeded >= 0 && PlaceOf(threads, dmcNeeded) < 0) {
        PlaceAdding(document, threads, dmcNeeded);
        edit.legendBefore = std::exchange(document.legend, SortedLegend(threads));
    } else {
        edit.legendBefore = document.legend;
    }
    return edit;
}

} // namespace

int ThreadOfStitch(const SchemeDocument& document, int x, int y)
{
    if (x < 0 || y < 0 || x >= ChartWidth(document) || y >= ChartHeight(document))
        throw ThreadEditError("column, row " + std::to_string(x + 1) + ", " + std::to_string(y + 1) +
                                  " lies outside the chart",
                              "столбец, строка " + std::to_string(x + 1) + ", " + std::to_string(y + 1) +
                                  " вне схемы");
    const std::vector<LegendEntry> threads = SchemeThreads(document);
    const int place = PlacesOfSymbols(threads)[SymbolByte(document.chart.textView(x + 1, y + 1))];
    if (place < 0)
        throw UnknownSymbol(x, y);
    return threads[At(place)].dmc;
}

StitchEdit SetStitches(SchemeDocument& document, std::span<const StitchChange> changes)
{
    const int width = ChartWidth(document), height = ChartHeight(document);
    const std::int64_t stitchCount = std::int64_t{width} * height;
    for (const StitchChange& change : changes) {
        if (change.stitch < 0 || change.stitch >= stitchCount)
            throw ThreadEditError("stitch " + std::to_string(change.stitch) + " lies outside the chart",
                                  "стежок " + std::to_string(change.stitch) + " вне схемы");
        CheckThread(change.dmc);
    }

    std::vector<LegendEntry> threads = SchemeThreads(document);
    const std::vector<StitchChange> once = LastChangeOfEachStitch(changes);
    // Places first, so that a refusal (an unknown symbol, no free symbol) leaves the document as
    // it was. A fill of a whole chart is a million changes: each costs two table look-ups.
    std::array<int, 256> placeOfSymbol = PlacesOfSymbols(threads);
    std::array<int, kDmcCount> placeOfThread;
    placeOfThread.fill(-1);
    for (std::size_t k = 0; k < threads.size(); ++k)
        placeOfThread[At(threads[k].dmc)] = static_cast<int>(k);
    std::vector<std::pair<int, int>> moves; // from place, to place, one per stitch of `once`
    moves.reserve(once.size());
    for (const StitchChange& change : once) {
        int& to = placeOfThread[At(change.dmc)];
        if (to < 0) {
            to = PlaceAdding(document, threads, change.dmc);
            placeOfSymbol[SymbolByte(threads[At(to)].symbol)] = to;
        }
        const int from = placeOfSymbol[StitchSymbol(document, change.stitch)];
        if (from < 0)
            throw UnknownSymbol(change.stitch % width, change.stitch / width);
        moves.emplace_back(from, to);
    }

    StitchEdit edit;
    for (std::size_t i = 0; i < once.size(); ++i) {
        const auto [from, to] = moves[i];
        if (from == to)
            continue;
        const std::int32_t stitch = once[i].stitch;
        edit.stitches.push_back(stitch);
        edit.symbolsBefore.push_back(static_cast<char>(StitchSymbol(document, stitch)));
        --threads[At(from)].stitches;
        ++threads[At(to)].stitches;
        document.chart.setText(stitch % width + 1, stitch / width + 1, threads[At(to)].symbol);
        if (PictureFollowsChart(document))
            document.picture.pixels()[At(stitch)] = DMCTable[At(threads[At(to)].dmc)].Color;
    }
    edit.legendBefore = std::exchange(document.legend, SortedLegend(threads));
    return edit;
}

std::vector<std::int32_t> ConnectedStitches(const SchemeDocument& document, std::int32_t stitch)
{
    const int width = ChartWidth(document), height = ChartHeight(document);
    if (stitch < 0 || stitch >= std::int64_t{width} * height)
        throw ThreadEditError("stitch " + std::to_string(stitch) + " lies outside the chart",
                              "стежок " + std::to_string(stitch) + " вне схемы");
    const unsigned char symbol = StitchSymbol(document, stitch);
    std::vector<bool> seen(At(width) * At(height));
    std::vector<std::int32_t> area{stitch};
    seen[At(stitch)] = true;
    // The area itself is the queue: each stitch taken in is looked around once.
    for (std::size_t next = 0; next < area.size(); ++next) {
        const std::int32_t at = area[next];
        const int x = at % width, y = at / width;
        const auto visit = [&](bool inside, std::int32_t neighbour) {
            if (inside && !seen[At(neighbour)] && StitchSymbol(document, neighbour) == symbol) {
                seen[At(neighbour)] = true;
                area.push_back(neighbour);
            }
        };
        visit(x > 0, at - 1);
        visit(x + 1 < width, at + 1);
        visit(y > 0, at - width);
        visit(y + 1 < height, at + width);
    }
    return area;
}

StitchEdit AddBackstitch(SchemeDocument& document, const Backstitch& line)
{
    CheckThread(line.dmc);
    const int width = ChartWidth(document), height = ChartHeight(document);
    const auto onGrid = [&](int x, int y) { return x >= 0 && y >= 0 && x <= width && y <= height; };
    if (!onGrid(line.x1, line.y1) || !onGrid(line.x2, line.y2))
        throw ThreadEditError("a line of backstitch must join corners of the grid",
                              "линия бэкстича должна соединять углы клеток схемы");
    if (line.x1 == line.x2 && line.y1 == line.y2)
        throw ThreadEditError("a line of backstitch must have a length", "у линии бэкстича нет длины");
    if (document.backstitches.size() >= static_cast<std::size_t>(kMaxBackstitches))
        throw ThreadEditError("a scheme holds at most " + std::to_string(kMaxBackstitches) + " lines of backstitch",
                              "в схеме может быть не больше " + std::to_string(kMaxBackstitches) + " линий бэкстича");
    StitchEdit edit = EditOfLines(document, line.dmc);
    document.backstitches.push_back(line);
    return edit;
}

StitchEdit RemoveBackstitch(SchemeDocument& document, std::size_t index)
{
    if (index >= document.backstitches.size())
        throw ThreadEditError("the scheme has no line of backstitch " + std::to_string(index),
                              "в схеме нет линии бэкстича " + std::to_string(index));
    StitchEdit edit = EditOfLines(document, -1);
    document.backstitches.erase(document.backstitches.begin() + static_cast<std::ptrdiff_t>(index));
    return edit;
}

void UndoStitchEdit(SchemeDocument& document, const StitchEdit& edit)
{
    const int width = ChartWidth(document);
    document.legend = edit.legendBefore;
    for (std::size_t i = 0; i < edit.stitches.size(); ++i) {
        const std::int32_t stitch = edit.stitches[i];
        document.chart.setText(stitch % width + 1, stitch / width + 1,
                               SymbolText(static_cast<unsigned char>(edit.symbolsBefore[i])));
    }
    if (!edit.stitches.empty() && PictureFollowsChart(document)) {
        const std::vector<LegendEntry> threads = SchemeThreads(document);
        const std::array<int, 256> places = PlacesOfSymbols(threads);
        for (std::size_t i = 0; i < edit.stitches.size(); ++i) {
            const int place = places[static_cast<unsigned char>(edit.symbolsBefore[i])];
            if (place >= 0)
                document.picture.pixels()[At(edit.stitches[i])] = DMCTable[At(threads[At(place)].dmc)].Color;
        }
    }
    if (edit.backstitchesChanged)
        document.backstitches = edit.backstitchesBefore;
}

} // namespace velmora
