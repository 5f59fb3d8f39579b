// How much the clean-up costs in likeness: for each photo of the corpus at 150 stitches wide and
// 30 threads, built plainly, with error diffusion and by the perceptual build, the share of single stitches before and
// after confetti removal (M = 1), and the mean CIEDE2000 difference of the chart's picture to the
// photo averaged over each stitch's area, before and after, and after all three passes (unused
// rows, at least 20 crosses a thread, confetti). Prints a Markdown table; run from the release
// build: build/release/bench/cleanup_quality [CORPUS_PHOTOS_FOLDER]
#include "scheme/area_average.h"
#include "scheme/color_science.h"
#include "scheme/perceptual_build.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_cleanup.h"
#include "scheme/thread_edit.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora {
namespace {

// The mean ΔE00 of the chart's picture to the averaged photo, stitch by stitch.
double MeanDeltaE(const Bitmap& chart, const Bitmap& averaged)
{
    std::unordered_map<Color, Lab> labs;
    const auto lab = [&](Color c) {
        const auto [it, added] = labs.try_emplace(c);
        if (added)
            it->second = ColorToLab(c);
        return it->second;
    };
    double sum = 0; // in stitch order: the same figure on every machine
    for (std::size_t i = 0; i < chart.pixels().size(); ++i)
        sum += DeltaE2000(lab(chart.pixels()[i]), lab(averaged.pixels()[i]));
    return sum / static_cast<double>(chart.pixels().size());
}

struct Figures {
    double singleBefore, singleAfter, deltaBefore, deltaAfter, deltaAll;
    std::size_t rowsBefore, rowsAll;
};

enum class Mapping { Plain, Diffusion, Perceptual };
constexpr const char* kMappingNames[] = {"plain", "diffusion", "perceptual"};

Figures Measure(const Bitmap& photo, Mapping mapping)
{
    SchemeRequest request = MakeSchemeRequest(photo, {150, {}, 30, {}, mapping == Mapping::Diffusion});
    request.perceptual = mapping == Mapping::Perceptual;
    const SchemeDocument built = SchemeEngine().BuildScheme(photo, request);
    // The picture as the build sampled it.
    const Bitmap source = request.perceptual ? PerceptualWorkingPicture(photo, request.width, request.height)
                                             : WorkingPicture(photo, request.width, request.height);
    const Bitmap averaged = StretchAreaAverage(photo, request.width, request.height);
    Figures figures{};
    figures.singleBefore = SingleStitchShare(built);
    figures.deltaBefore = MeanDeltaE(built.picture, averaged);
    figures.rowsBefore = SchemeThreads(built).size();
    SchemeDocument confetti = built;
    CleanUpScheme(confetti, {false, 0, 1}, source);
    figures.singleAfter = SingleStitchShare(confetti);
    figures.deltaAfter = MeanDeltaE(confetti.picture, averaged);
    SchemeDocument all = built;
    CleanUpScheme(all, {true, kDefaultFewestStitches, 1}, source);
    figures.deltaAll = MeanDeltaE(all.picture, averaged);
    figures.rowsAll = SchemeThreads(all).size();
    return figures;
}

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    using namespace velmora;
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(VELMORA_CORPUS_DIR) / "photos";
    std::vector<std::filesystem::path> photos;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        // One of each picture: the JPEG where the corpus has it in two kinds.
        if (entry.path().extension() == ".jpg")
            photos.push_back(entry.path());
    }
    std::sort(photos.begin(), photos.end());
    std::printf("| picture | mapping | single before | single after | ΔE00 before | ΔE00 after | rise | "
                "ΔE00 all three | rows before → after |\n|---|---|---|---|---|---|---|---|---|\n");
    double rises[3] = {0, 0, 0};
    double worstAfter = 0;
    int count[3] = {0, 0, 0};
    for (const auto& path : photos) {
        try {
            const Bitmap photo = LoadPicture(path);
            if (photo.width() < 150)
                continue; // enlarged, it is no photo at the chart's size
            for (const Mapping mapping : {Mapping::Plain, Mapping::Diffusion, Mapping::Perceptual}) {
                const Figures f = Measure(photo, mapping);
                const double rise = f.deltaAfter / f.deltaBefore - 1;
                const auto m = static_cast<std::size_t>(mapping);
                rises[m] += rise;
                ++count[m];
                worstAfter = std::max(worstAfter, f.singleAfter);
                std::printf("| %s | %s | %.1f %% | %.1f %% | %.2f | %.2f | %+.1f %% | %.2f | %zu → %zu |\n",
                            path.filename().string().c_str(), kMappingNames[m], f.singleBefore * 100,
                            f.singleAfter * 100, f.deltaBefore, f.deltaAfter, rise * 100, f.deltaAll, f.rowsBefore,
                            f.rowsAll);
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", path.string().c_str(), e.what());
            return 1;
        }
    }
    const auto mean = [&](std::size_t m) { return count[m] ? rises[m] / count[m] * 100 : 0.0; };
    std::printf("\nMean rise of ΔE00: %+.1f %% plain, %+.1f %% with error diffusion, %+.1f %% perceptual; most single "
                "stitches left: %.1f %%\n",
                mean(0), mean(1), mean(2), worstAfter * 100);
    return 0;
}
