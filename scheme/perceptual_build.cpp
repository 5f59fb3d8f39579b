#include "perceptual_build.h"

#include "color_science.h"
#include "dmc_inc.h"
#include "lab_palette.h"
#include "perceptual_diffusion.h"
#include "thread_choice.h"
#include "thread_match.h"

#include <cstddef>
#include <utility>

namespace velmora {
namespace {

// How far a dithered build's palette is spread outward (SpreadPalette). Measured with
// bench/colour_fidelity: 0.15 still leaves the lights of a night shot without a thread, 0.5
// spreads a cat's ten threads too thin; 0.3 is the best of the three.
constexpr double kDitherSpread = 0.3;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

std::vector<Lab> HistogramLabs(const ColorFixUnit& reduction)
{
    std::vector<Lab> labs(At(reduction.HistSize));
    for (std::size_t h = 0; h < labs.size(); ++h)
        labs[h] = ColorToLab(reduction.HistColors[h]);
    return labs;
}

// The entry of every stitch when each distinct colour goes to its nearest thread.
std::vector<std::uint8_t> MapEachColour(const ColorFixUnit& reduction, const std::vector<Lab>& labs,
                                        const NearestByDeltaE& match)
{
    std::vector<std::uint8_t> entryOfColour(labs.size());
    for (std::size_t h = 0; h < labs.size(); ++h)
        entryOfColour[h] = static_cast<std::uint8_t>(match.Find(labs[h]).entry);
    std::vector<std::uint8_t> entries(reduction.PixelHist.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = entryOfColour[At(reduction.PixelHist[i])];
    return entries;
}

} // namespace

Bitmap PerceptualWorkingPicture(const Bitmap& source, int width, int height)
{
    return StretchAreaAverage(source, width, height, AverageIn::LinearLight);
}

std::vector<std::uint8_t> MapPerceptually(Bitmap& picture, int colorCount, bool dithering, ColorFixUnit& reduction)
{
    reduction.CountColors(picture);
    const std::vector<Lab> labs = HistogramLabs(reduction);
    const auto colours = std::span<const Color>(reduction.HistColors).first(At(reduction.HistSize));
    const auto counts = std::span<const int>(reduction.HistCounts).first(At(reduction.HistSize));
    const std::vector<WeightedLab> points = GatherColours(colours, counts, labs);
    std::vector<WeightedLab> palette = LabPalette(points, colorCount);
    if (dithering) {
        const int page = PageEntry(palette);
        palette = SpreadPalette(std::move(palette), points, kDitherSpread, page);
    }
    const ThreadChoice choice =
        ChooseThreads(palette, points, dithering ? ThreadRefinement::NearestOnly : ThreadRefinement::Swaps);
    const NearestByDeltaE match(choice.reference);

    std::vector<std::uint8_t> entries =
        dithering ? DiffusePerceptually(picture, match, choice.reference) : MapEachColour(reduction, labs, match);

    // Entries that no stitch took are left out, the others keep their order.
    std::vector<int> stitches(choice.dmc.size(), 0);
    for (const std::uint8_t q : entries)
        ++stitches[q];
    std::vector<std::uint8_t> renumbered(choice.dmc.size(), 0);
    reduction.Palette.clear();
    reduction.PaletteDMC.clear();
    reduction.PaletteStitches.clear();
    for (std::size_t q = 0; q < choice.dmc.size(); ++q) {
        if (stitches[q] == 0)
            continue;
        renumbered[q] = static_cast<std::uint8_t>(reduction.PaletteDMC.size());
        reduction.Palette.push_back(DMCTable[At(choice.dmc[q])].Color);
        reduction.PaletteDMC.push_back(choice.dmc[q]);
        reduction.PaletteStitches.push_back(stitches[q]);
    }
    reduction.PaletteSize = static_cast<int>(reduction.PaletteDMC.size());
    for (std::uint8_t& q : entries)
        q = renumbered[q];

    auto pixels = picture.pixels();
    for (std::size_t i = 0; i < entries.size(); ++i)
        pixels[i] = reduction.Palette[entries[i]];
    if (!dithering) {
        // Every distinct colour is some pixel's.
        for (std::size_t i = 0; i < entries.size(); ++i)
            reduction.HistMapped[At(reduction.PixelHist[i])] = reduction.Palette[entries[i]];
    }
    return entries;
}

} // namespace velmora
