// Building a 1000 × 1000 scheme, with and without error diffusion, from three kinds of picture:
// a real photo (the corpus meadow, many close colours), a synthetic picture in which all million
// stitches have different colours (the worst case of the histogram, the median cut and the
// mapping), and a flat cartoon (few colours, large equal areas).
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace velmora {
namespace {

constexpr int kSide = 1000;

std::optional<Bitmap> LoadPhoto(benchmark::State& state, const char* name)
{
    try {
        return LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / name);
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return std::nullopt;
    }
}

// Pixel i gets colour i · 16777213 mod 2^24: the factor is odd, so all million colours differ,
// and neighbouring pixels lie far apart in colour.
Bitmap MillionColours()
{
    Bitmap picture(kSide, kSide);
    Color value = 0;
    for (Color& pixel : picture.pixels()) {
        pixel = value;
        value = (value + 16777213u) & 0xFFFFFF;
    }
    return picture;
}

SchemeRequest Request(const benchmark::State& state, int colors)
{
    SchemeRequest request{kSide, kSide, colors, {}, state.range(0) != 0};
    for (int k = 0; k < colors; ++k)
        request.symbols.emplace_back(1, static_cast<char>(33 + k));
    return request;
}

void RunBuild(benchmark::State& state, const Bitmap& source, int colors)
{
    const SchemeRequest request = Request(state, colors);
    SchemeEngine engine;
    for (auto _ : state) {
        SchemeDocument document = engine.BuildScheme(source, request);
        benchmark::DoNotOptimize(document.picture.pixels().data());
    }
    state.SetLabel(std::to_string(engine.Reduction.HistSize) + " distinct colours" +
                   (request.dithering ? ", dithering" : ""));
}

void BM_BuildPhoto(benchmark::State& state)
{
    if (const auto photo = LoadPhoto(state, "large-greenmeadow-1280x1024.bmp"))
        RunBuild(state, *photo, 30);
}

void BM_BuildMillionColours(benchmark::State& state) { RunBuild(state, MillionColours(), 100); }

void BM_BuildCartoon(benchmark::State& state)
{
    if (const auto cartoon = LoadPhoto(state, "cartoon-imagemagick-logo-640x480.bmp"))
        RunBuild(state, *cartoon, 30);
}

// velmora-cli's way: a photo of the chart's size (195 000 colours) is handed over and becomes the
// working picture; the copy it is handed over as is not timed.
void BM_BuildGivenUpPhoto(benchmark::State& state)
{
    Bitmap photo;
    try {
        photo = LoadPicture(std::filesystem::path(VELMORA_BENCH_DATA_DIR) / "dune-1000.jpg");
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return;
    }
    const SchemeRequest request = Request(state, 30);
    SchemeEngine engine;
    for (auto _ : state) {
        state.PauseTiming();
        Bitmap source = photo;
        state.ResumeTiming();
        SchemeDocument document = engine.BuildScheme(std::move(source), request);
        benchmark::DoNotOptimize(document.picture.pixels().data());
    }
}

BENCHMARK(BM_BuildPhoto)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildGivenUpPhoto)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildMillionColours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildCartoon)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
