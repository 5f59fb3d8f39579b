// The perceptual build (area average, palette in CIELAB, threads and stitches by CIEDE2000): a
// 1000 × 1000 photograph of 195 000 colours at 100 threads, the job whose whole-process CPU time
// goes side by side with ImageMagick's 30-colour reduction of the same picture, and a 200-stitch
// chart of the same photograph at 30 threads, which should build in under 50 ms. Arg 1: with
// error diffusion.
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>

namespace velmora {
namespace {

std::optional<Bitmap> LoadDune(benchmark::State& state)
{
    try {
        return LoadPicture(std::filesystem::path(VELMORA_BENCH_DATA_DIR) / "dune-1000.jpg");
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return std::nullopt;
    }
}

void RunPerceptual(benchmark::State& state, int width, int colors)
{
    const auto photo = LoadDune(state);
    if (!photo)
        return;
    SchemeRequest request{width, width, colors, DefaultSymbolTexts(colors), state.range(0) != 0};
    request.perceptual = true;
    SchemeEngine engine;
    for (auto _ : state) {
        SchemeDocument document = engine.BuildScheme(*photo, request);
        benchmark::DoNotOptimize(document.picture.pixels().data());
    }
    state.SetLabel(std::to_string(engine.Reduction.HistSize) + " distinct colours, " +
                   std::to_string(engine.Reduction.PaletteSize) + " threads" +
                   (request.dithering ? ", dithering" : ""));
}

void BM_PerceptualPhoto1000(benchmark::State& state) { RunPerceptual(state, 1000, 100); }
void BM_PerceptualChart200(benchmark::State& state) { RunPerceptual(state, 200, 30); }

BENCHMARK(BM_PerceptualPhoto1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PerceptualChart200)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
