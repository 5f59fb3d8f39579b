// Measures how near a scheme's colours come to its picture: the mean CIEDE2000 (ΔE00) of every
// stitch's thread colour to the picture averaged down, in linear light, to one pixel per stitch,
// for the default build and the perceptual one, beside a near-optimal choice of catalogue
// threads computed here, offline, for the comparison. With dithering, colours are judged as the
// eye mixes neighbouring stitches: both pictures blurred by a Gaussian of one stitch first.
//
// The near-optimal choice is a k-medoids search over the catalogue: starting from the perceptual
// build's threads, every thread is tried against every free catalogue thread, each swap that
// lowers the mean ΔE00 (stitches matched to their nearest chosen thread by ΔE00) is kept, until
// no swap pays. It is a local optimum of the whole swap neighbourhood, too slow for a build.
//
// Usage: colour_fidelity [PICTURE…]   (default: the corpus photographs and drawings)
#include "scheme/area_average.h"
#include "scheme/color_science.h"
#include "scheme/dmc_inc.h"
#include "scheme/legend_columns.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "scheme/thread_match.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr int kWidths[] = {80, 200};
constexpr int kThreadCounts[] = {10, 30, 60};

const char* const kCorpusPictures[] = {
    "photos/photo-astronaut-512x512.jpg",   "photos/photo-cat-chelsea-451x300.jpg",
    "photos/landscape-dune-1680x1050.jpg",  "photos/large-greenmeadow-1280x1024.jpg",
    "photos/photo-rocket-640x427.jpg",      "photos/photo-nightshot-192x144.bmp",
    "photos/cartoon-imagemagick-logo-640x480.jpg", "photos/flat-horse-silhouette-400x328.jpg",
    "jpeg/jpg-baseline-422-coffee-600x400.jpg",
};

std::vector<Lab> Labs(const Bitmap& picture)
{
    std::vector<Lab> labs;
    labs.reserve(picture.pixels().size());
    for (const Color c : picture.pixels())
        labs.push_back(ColorToLab(c & 0xFFFFFF));
    return labs;
}

double MeanDeltaE(const std::vector<Lab>& x, const std::vector<Lab>& y)
{
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        sum += DeltaE2000(x[i], y[i]);
    return sum / static_cast<double>(x.size());
}

// A Gaussian of σ = 1 stitch over linear light, the edges repeated: the colour a patch of
// stitches gives from a distance.
std::vector<Lab> Blurred(const Bitmap& picture)
{
    constexpr int kRadius = 3;
    float weights[2 * kRadius + 1];
    float total = 0;
    for (int k = -kRadius; k <= kRadius; ++k)
        total += weights[k + kRadius] = std::exp(-0.5F * static_cast<float>(k * k));
    for (float& w : weights)
        w /= total;
    const int width = picture.width(), height = picture.height();
    std::vector<float> light(static_cast<std::size_t>(width * height) * 3), pass(light.size());
    for (std::size_t i = 0; i < picture.pixels().size(); ++i) {
        const Color c = picture.pixels()[i];
        light[3 * i] = SrgbToLinear(Red(c));
        light[3 * i + 1] = SrgbToLinear(Green(c));
        light[3 * i + 2] = SrgbToLinear(Blue(c));
    }
    auto blur = [&](const std::vector<float>& from, std::vector<float>& to, bool along) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int ch = 0; ch < 3; ++ch) {
                    float sum = 0;
                    for (int k = -kRadius; k <= kRadius; ++k) {
                        const int sx = along ? std::clamp(x + k, 0, width - 1) : x;
                        const int sy = along ? y : std::clamp(y + k, 0, height - 1);
                        sum += weights[k + kRadius] * from[3 * static_cast<std::size_t>(sy * width + sx) + ch];
                    }
                    to[3 * static_cast<std::size_t>(y * width + x) + ch] = sum;
                }
            }
        }
    };
    blur(light, pass, true);
    blur(pass, light, false);
    std::vector<Lab> labs(picture.pixels().size());
    for (std::size_t i = 0; i < labs.size(); ++i)
        labs[i] = LinearToLab(light[3 * i], light[3 * i + 1], light[3 * i + 2]);
    return labs;
}

// The distinct colours of the averaged picture with their stitches, and the ΔE00 of each to
// every catalogue thread.
struct Catalogue {
    std::vector<double> weight;
    std::vector<float> distance; // colour p, thread t at p * kDmcCount + t
    double stitches = 0;

    explicit Catalogue(const Bitmap& averaged)
    {
        std::map<Color, int> counts;
        for (const Color c : averaged.pixels())
            ++counts[c & 0xFFFFFF];
        const auto& threads = CatalogueLabs();
        for (const auto& [color, count] : counts) {
            const Lab lab = ColorToLab(color);
            weight.push_back(count);
            stitches += count;
            for (const Lab& t : threads)
                distance.push_back(static_cast<float>(DeltaE2000(lab, t)));
        }
    }
    float At(std::size_t p, int t) const { return distance[p * kDmcCount + static_cast<std::size_t>(t)]; }

    double Cost(const std::vector<int>& threads) const
    {
        double sum = 0;
        for (std::size_t p = 0; p < weight.size(); ++p) {
            float best = 1e30F;
            for (const int t : threads)
                best = std::min(best, At(p, t));
            sum += weight[p] * best;
        }
        return sum / stitches;
    }

    // Swaps threads for free catalogue threads while any swap lowers the cost.
    std::vector<int> KMedoids(std::vector<int> threads) const
    {
        const std::size_t n = weight.size();
        std::vector<float> nearest(n), second(n);
        std::vector<int> owner(n);
        bool improved = true;
        for (int round = 0; improved && round < 20; ++round) {
            improved = false;
            for (std::size_t q = 0; q < threads.size(); ++q) {
                // Nearest and second nearest thread of every colour for the current set.
                for (std::size_t p = 0; p < n; ++p) {
                    float d1 = 1e30F, d2 = 1e30F;
                    int o = -1;
                    for (std::size_t k = 0; k < threads.size(); ++k) {
                        const float d = At(p, threads[k]);
                        if (d < d1) {
                            d2 = d1;
                            d1 = d;
                            o = static_cast<int>(k);
                        } else if (d < d2) {
                            d2 = d;
                        }
                    }
                    nearest[p] = d1;
                    second[p] = d2;
                    owner[p] = o;
                }
                double current = 0;
                for (std::size_t p = 0; p < n; ++p)
                    current += weight[p] * nearest[p];
                int best = -1;
                double bestCost = current * (1 - 1e-9);
                for (int t = 0; t < kDmcCount; ++t) {
                    if (std::find(threads.begin(), threads.end(), t) != threads.end())
                        continue;
                    double cost = 0;
                    for (std::size_t p = 0; p < n; ++p) {
                        const float without = owner[p] == static_cast<int>(q) ? second[p] : nearest[p];
                        cost += weight[p] * std::min(without, At(p, t));
                    }
                    if (cost < bestCost) {
                        bestCost = cost;
                        best = t;
                    }
                }
                if (best >= 0) {
                    threads[q] = best;
                    improved = true;
                }
            }
        }
        return threads;
    }
};

std::vector<int> LegendThreads(const SchemeDocument& document)
{
    std::vector<int> threads;
    for (int row = 1; row < document.legend.rows(); ++row) {
        const std::string name = document.legend.text(LegendColumn::Name, row);
        if (!name.empty())
            threads.push_back(FindDmc(name));
    }
    return threads;
}

struct Row {
    std::string name;
    int width, threads;
    double plain, perceptual, srgbAveraged, optimal, plainDithered, perceptualDithered;
    double plainMs, perceptualMs;
};

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

Row Measure(const std::string& name, const Bitmap& source, int width, int threads)
{
    SchemeChoices choices;
    choices.width = width;
    choices.colorCount = threads;
    SchemeRequest request = MakeSchemeRequest(source, choices);
    const Bitmap averaged = StretchAreaAverage(source, request.width, request.height, AverageIn::LinearLight);
    const std::vector<Lab> reference = Labs(averaged);
    const std::vector<Lab> blurredReference = Blurred(averaged);

    Row row{name, width, threads, 0, 0, 0, 0, 0, 0, 0, 0};
    SchemeEngine engine;
    auto start = std::chrono::steady_clock::now();
    row.plain = MeanDeltaE(Labs(engine.BuildScheme(source, request).picture), reference);
    row.plainMs = Milliseconds(std::chrono::steady_clock::now() - start);
    request.dithering = true;
    row.plainDithered = MeanDeltaE(Blurred(engine.BuildScheme(source, request).picture), blurredReference);

    request.perceptual = true;
    row.perceptualDithered = MeanDeltaE(Blurred(engine.BuildScheme(source, request).picture), blurredReference);
    request.dithering = false;
    start = std::chrono::steady_clock::now();
    const SchemeDocument perceptual = engine.BuildScheme(source, request);
    row.perceptualMs = Milliseconds(std::chrono::steady_clock::now() - start);
    row.perceptual = MeanDeltaE(Labs(perceptual.picture), reference);
    // The same build from the picture averaged over the stored sRGB values instead of light.
    row.srgbAveraged = MeanDeltaE(
        Labs(engine.BuildScheme(StretchAreaAverage(source, request.width, request.height, AverageIn::Srgb), request)
                 .picture),
        reference);

    const Catalogue catalogue(averaged);
    row.optimal = catalogue.Cost(catalogue.KMedoids(LegendThreads(perceptual)));
    return row;
}

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    using namespace velmora;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i)
        files.emplace_back(argv[i]);
    if (files.empty()) {
        for (const char* name : kCorpusPictures)
            files.push_back(std::filesystem::path(VELMORA_CORPUS_DIR) / name);
    }
    std::printf("| picture | width | threads | default | perceptual | sRGB-averaged | near-optimal | "
                "perceptual / near-optimal | dithered: default (blurred) | perceptual (blurred) | ratio | "
                "ms default | ms perceptual |\n|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    std::map<int, std::vector<double>> ratios;
    std::vector<double> ditherRatios;
    for (const auto& file : files) {
        Bitmap source;
        try {
            source = LoadPicture(file);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", file.string().c_str(), e.what());
            return 1;
        }
        for (const int width : kWidths) {
            for (const int threads : kThreadCounts) {
                const Row r = Measure(file.filename().string(), source, width, threads);
                const double ratio = r.perceptual / r.optimal;
                ratios[threads].push_back(ratio);
                ditherRatios.push_back(r.perceptualDithered / r.plainDithered);
                std::printf("| %s | %d | %d | %.2f | %.2f | %.2f | %.2f | %.3f | %.2f | %.2f | %.2f | %.0f | %.0f |\n",
                            r.name.c_str(), r.width, r.threads, r.plain, r.perceptual, r.srgbAveraged, r.optimal,
                            ratio, r.plainDithered, r.perceptualDithered, ditherRatios.back(), r.plainMs,
                            r.perceptualMs);
                std::fflush(stdout);
            }
        }
    }
    std::printf("\n| threads | mean perceptual / near-optimal | worst |\n|---|---|---|\n");
    for (const auto& [threads, values] : ratios) {
        double sum = 0;
        for (const double v : values)
            sum += v;
        std::printf("| %d | %.3f | %.3f |\n", threads, sum / static_cast<double>(values.size()),
                    *std::max_element(values.begin(), values.end()));
    }
    double sum = 0;
    for (const double v : ditherRatios)
        sum += v;
    std::printf("\nDithered, perceptual / default blurred ΔE00: mean %.3f, worst %.3f\n",
                sum / static_cast<double>(ditherRatios.size()),
                *std::max_element(ditherRatios.begin(), ditherRatios.end()));
    return 0;
}
