#include "scheme_builder.h"

#include "chart_size.h"
#include "color_distance.h"
#include "cp1251.h"
#include "legend_columns.h"
#include "error_diffusion.h"
#include "perceptual_build.h"
#include "picture/picture_error.h"
#include "stretch.h"
#include "symbol_spread.h"
#include "thread_choice.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace velmora {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

void CheckRequest(const Bitmap& source, const SchemeRequest& request)
{
    if (source.empty())
        throw PictureError("the source picture is empty");
    if (request.width < kMinStitches || request.width > kMaxStitches)
        throw std::invalid_argument("the chart width must be 10 to 1000 stitches, not " +
                                    std::to_string(request.width));
    if (request.height < kMinStitches || request.height > kMaxStitches)
        throw std::invalid_argument("the chart height must be 10 to 1000 stitches, not " +
                                    std::to_string(request.height));
    if (request.colorCount < kMinColors || request.colorCount > kMaxColors)
        throw std::invalid_argument("the number of colours must be 2 to 100, not " +
                                    std::to_string(request.colorCount));
    if (request.symbols.size() < At(request.colorCount))
        throw std::invalid_argument("the symbol list has " + std::to_string(request.symbols.size()) +
                                    " symbols for " + std::to_string(request.colorCount) + " colours");
}

Color ThreadColor(int dmc) { return DMCTable[At(dmc)].Color; }

std::vector<Color> ThreadColors(const ColorFixUnit& reduction)
{
    std::vector<Color> colors;
    colors.reserve(reduction.PaletteDMC.size());
    for (const int dmc : reduction.PaletteDMC)
        colors.push_back(ThreadColor(dmc));
    return colors;
}

// Maps every distinct colour to the entry with the nearest thread colour. Returns the palette
// entry of every distinct colour (at most 100, a byte each): a pixel's entry is that of its
// histogram index.
std::vector<std::uint8_t> MapPlain(ColorFixUnit& reduction)
{
    const std::vector<Color> threads = ThreadColors(reduction);
    const NearestThread nearest(threads);
    static_assert(kMaxColors <= 256, "a palette entry is kept in a byte");
    std::vector<std::uint8_t> histEntry(At(reduction.HistSize));
    for (int h = reduction.HistSize - 1; h >= 0; --h) {
        const int q = nearest.Find(reduction.HistColors[At(h)]);
        histEntry[At(h)] = static_cast<std::uint8_t>(q);
        reduction.HistMapped[At(h)] = threads[At(q)];
        reduction.PaletteStitches[At(q)] += reduction.HistCounts[At(h)];
    }
    return histEntry;
}

// Turns a picture of histogram indices into one of thread colours.
void PaintMapped(Bitmap& indexed, const ColorFixUnit& reduction)
{
    for (Color& pixel : indexed.pixels())
        pixel = reduction.HistMapped[At(static_cast<int>(pixel))];
}

std::vector<int> MapWithErrorDiffusion(Bitmap& working, ColorFixUnit& reduction)
{
    const std::vector<Color> threads = ThreadColors(reduction);
    return DiffuseErrors(working, threads, reduction.PaletteStitches);
}

// Orders the palette lists from light to dark. Returns, for each sorted position, the entry's index
// before sorting.
std::vector<int> SortByBrightness(ColorFixUnit& reduction)
{
    const std::vector<int> original = LightToDarkOrder(reduction.PaletteDMC);
    const std::vector<int> dmc = reduction.PaletteDMC, stitches = reduction.PaletteStitches;
    for (std::size_t k = 0; k < original.size(); ++k) {
        reduction.PaletteDMC[k] = dmc[At(original[k])];
        reduction.PaletteStitches[k] = stitches[At(original[k])];
    }
    return original;
}

// The symbol of each sorted position: its place in the symbol list, nothing for White.
std::vector<std::string_view> SymbolsBySortedPosition(const ColorFixUnit& reduction,
                                                      const std::vector<std::string>& symbols)
{
    std::vector<std::string_view> result(At(reduction.PaletteSize));
    for (int k = 0; k < reduction.PaletteSize; ++k) {
        if (reduction.PaletteDMC[At(k)] != kDmcWhite)
            result[At(k)] = symbols[At(k)];
    }
    return result;
}

std::vector<LegendEntry> LegendEntries(const ColorFixUnit& reduction, const std::vector<std::string_view>& symbols)
{
    std::vector<LegendEntry> entries;
    for (int k = 0; k < reduction.PaletteSize; ++k)
        entries.push_back({reduction.PaletteDMC[At(k)], std::string(symbols[At(k)]), reduction.PaletteStitches[At(k)]});
    return entries;
}

// Only the 24 colour bits of a pixel take part in the build.
Bitmap ColourBitsOnly(Bitmap working)
{
    for (Color& pixel : working.pixels())
        pixel &= 0xFFFFFF;
    return working;
}

} // namespace

Bitmap WorkingPicture(const Bitmap& source, int width, int height)
{
    return ColourBitsOnly(StretchPointSampled(source, width, height));
}

// A source of the chart's own size is sampled pixel for pixel: it becomes the working picture
// itself rather than a copy of it.
Bitmap WorkingPicture(Bitmap&& source, int width, int height)
{
    if (source.width() != width || source.height() != height)
        return WorkingPicture(std::as_const(source), width, height);
    source.setSourceBitsPerPixel(32);
    return ColourBitsOnly(std::move(source));
}

std::vector<int> LightToDarkOrder(std::span<const int> threads)
{
    std::vector<int> order(threads.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return BrightnessKey(ThreadColor(threads[At(a)])) < BrightnessKey(ThreadColor(threads[At(b)]));
    });
    return order;
}

CellTable LegendTable(std::span<const LegendEntry> lightToDark)
{
    // The rows are counted first: each resize of the table moves its texts, and an edit of the
    // chart sorts the legend anew at every move of the mouse.
    const auto others = std::count_if(lightToDark.begin(), lightToDark.end(),
                                      [](const LegendEntry& entry) { return entry.dmc != kDmcWhite; });
    CellTable legend;
    legend.setColumns(static_cast<int>(kLegendHeaders.size()));
    legend.setRows(3 + static_cast<int>(others));
    for (std::size_t c = 0; c < kLegendHeaders.size(); ++c)
        legend.setText(static_cast<int>(c), 0, kLegendHeaders[c]);

    int nextRow = 2;
    for (std::size_t k = 0; k < lightToDark.size(); ++k) {
        const LegendEntry& entry = lightToDark[k];
        int row = 1; // White has a row of its own, above all others
        if (entry.dmc != kDmcWhite) {
            row = nextRow++;
            legend.setText(LegendColumn::Symbol, row, entry.symbol);
        }
        legend.setText(LegendColumn::Number, row, std::to_string(k + 1));
        legend.setText(LegendColumn::Colour, row, std::to_string(DMCTable[At(entry.dmc)].Color));
        legend.setText(LegendColumn::Name, row, DMCTable[At(entry.dmc)].Name);
        legend.setText(LegendColumn::Count, row, std::to_string(entry.stitches));
    }
    return legend;
}

SchemeRequest MakeSchemeRequest(const Bitmap& picture, SchemeChoices choices)
{
    SchemeRequest request;
    const ChartSize size =
        ChooseChartSize(picture.width(), picture.height(), choices.width, choices.height, choices.openSides);
    request.width = size.width;
    request.height = size.height;
    request.colorCount = choices.colorCount;
    request.dithering = choices.dithering;
    request.perceptual = choices.perceptual;
    request.symbols = std::move(choices.symbols);
    if (request.symbols.empty() && request.colorCount >= kMinColors && request.colorCount <= kMaxColors)
        request.symbols = DefaultSymbolTexts(request.colorCount);
    return request;
}

CellTable NewChartFrame(int width, int height)
{
    CellTable chart;
    chart.setColumns(width + 1);
    chart.setRows(height + 2);
    for (int c = 1; c <= width; ++c) {
        std::string header(1, ' ');
        header += std::to_string(c);
        chart.setRotatedText(c, 0, header);
    }
    for (int r = 1; r <= height; ++r)
        chart.setText(0, r, std::to_string(r));
    return chart;
}

namespace {

// Each stitch takes the symbol of the palette entry its mapping chose, entryOf(i) for the i-th
// stitch row by row. (Matching stitches to entries by thread colour instead would give both
// threads of a colour pair — White and B5200, 800 and 827 — the symbol of one of them.)
template <typename EntryOf>
void FillChart(CellTable& chart, int width, int height, EntryOf entryOf, const std::vector<int>& originalOfSorted,
               const std::vector<std::string_view>& symbols)
{
    std::vector<std::string_view> symbolOfEntry(originalOfSorted.size());
    for (std::size_t k = 0; k < originalOfSorted.size(); ++k)
        symbolOfEntry[At(originalOfSorted[k])] = symbols[k];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            chart.setText(x + 1, y + 1, symbolOfEntry[At(entryOf(At(y) * At(width) + At(x)))]);
    }
}

} // namespace

Bitmap WorkingPicture(const Bitmap& source, const SchemeRequest& request)
{
    if (request.perceptual)
        return PerceptualWorkingPicture(source, request.width, request.height);
    return WorkingPicture(source, request.width, request.height);
}

SchemeDocument SchemeEngine::BuildScheme(const Bitmap& source, const SchemeRequest& request)
{
    CheckRequest(source, request);
    return Build(WorkingPicture(source, request), request);
}

SchemeDocument SchemeEngine::BuildScheme(Bitmap&& source, const SchemeRequest& request)
{
    CheckRequest(source, request);
    if (request.perceptual)
        return Build(WorkingPicture(source, request), request);
    return Build(WorkingPicture(std::move(source), request.width, request.height), request);
}

namespace {

// The tail every build shares: the palette sorted light to dark, the legend, and the chart, whose
// stitch i (row by row) has the palette entry entryOf(i).
template <typename EntryOf>
void FillLegendAndChart(SchemeDocument& document, ColorFixUnit& reduction, const SchemeRequest& request,
                        EntryOf entryOf)
{
    const std::vector<int> originalOfSorted = SortByBrightness(reduction);
    const std::vector<std::string_view> symbols = SymbolsBySortedPosition(reduction, request.symbols);
    document.legend = LegendTable(LegendEntries(reduction, symbols));
    document.chart = NewChartFrame(request.width, request.height);
    FillChart(document.chart, request.width, request.height, entryOf, originalOfSorted, symbols);
}

} // namespace

SchemeDocument SchemeEngine::Build(Bitmap working, const SchemeRequest& request)
{
    SchemeDocument document;
    document.request = request;
    document.picture = std::move(working);

    ColorFixUnit reduction;
    std::array<int, kDmcCount> used{};
    if (request.perceptual) {
        const std::vector<std::uint8_t> entries =
            MapPerceptually(document.picture, request.colorCount, request.dithering, reduction);
        for (const int dmc : reduction.PaletteDMC)
            used[At(dmc)] = 1;
        FillLegendAndChart(document, reduction, request, [&](std::size_t i) { return entries[i]; });
    } else {
        // Without error diffusion the picture's colours are needed no longer once the histogram is
        // made: the picture then holds each stitch's histogram index until the chart is filled.
        if (request.dithering)
            reduction.ReduceColors(document.picture, request.colorCount);
        else
            reduction.ReduceColorsInPlace(document.picture, request.colorCount);
        AssignThreads(reduction, used);
        if (request.dithering) {
            const std::vector<int> entries = MapWithErrorDiffusion(document.picture, reduction);
            FillLegendAndChart(document, reduction, request, [&](std::size_t i) { return entries[i]; });
        } else {
            const std::vector<std::uint8_t> histEntry = MapPlain(reduction);
            const auto histIndex = std::as_const(document.picture).pixels();
            FillLegendAndChart(document, reduction, request,
                               [&](std::size_t i) { return histEntry[histIndex[i]]; });
            PaintMapped(document.picture, reduction);
        }
    }

    Reduction = std::move(reduction);
    DMCUsed = used;
    return document;
}

Bitmap MappedPicture(const CellTable& chart, const CellTable& legend)
{
    const int width = chart.columns() - 1, height = chart.rows() - 2;
    if (width <= 0 || height <= 0)
        return {};
    std::array<Color, 256> colorOfSymbol{};
    std::array<bool, 256> known{};
    colorOfSymbol[0] = DMCTable[kDmcWhite].Color;
    known[0] = true;
    for (int row = 1; row < legend.rows(); ++row) {
        const std::string name = legend.text(LegendColumn::Name, row);
        if (name.empty())
            continue;
        const int dmc = FindDmc(name);
        if (dmc < 0)
            throw std::invalid_argument("legend row " + std::to_string(row) + ": no thread is named " +
                                        Cp1251ToUtf8(name));
        const std::string symbol = legend.text(LegendColumn::Symbol, row);
        const auto code = symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front());
        colorOfSymbol[code] = DMCTable[At(dmc)].Color;
        known[code] = true;
    }
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y) {
        auto out = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const std::string_view symbol = chart.textView(x + 1, y + 1);
            const auto code = symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front());
            if (!known[code])
                throw std::invalid_argument("the stitch in row " + std::to_string(y + 1) + ", column " +
                                            std::to_string(x + 1) + " has a symbol that no legend row has");
            out[At(x)] = colorOfSymbol[code];
        }
    }
    return picture;
}

} // namespace velmora
