// Reading a source picture and stretching it to the chart size: decoding a 1000 × 1000 photo as
// JPEG, as a 24-bit bitmap, as PNG (RGB, 8 bits) and as lossy WebP (quality 80) (bench/data, made
// once from the corpus photo of a meadow; the PNG and WebP from the bitmap with ImageMagick),
// loading the bitmap from its file, and point sampling a 12-megapixel camera picture down to
// 1000 × 750 stitches.
#include "picture/bmp_codec.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_decoders.h"
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "tests/file_helpers.h"
#include "scheme/stretch.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace velmora {
namespace {

// The benchmark's fixtures lie beside its source.
const std::filesystem::path kDataDir = VELMORA_BENCH_DATA_DIR;

// The bytes of bench/data/`name`, or nothing after marking the benchmark failed.
std::vector<std::uint8_t> LoadInput(benchmark::State& state, const char* name)
{
    try {
        return ReadFileBytes(kDataDir / name);
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return {};
    }
}

template <typename Decode>
void RunDecode(benchmark::State& state, const char* name, Decode decode)
{
    const std::vector<std::uint8_t> file = LoadInput(state, name);
    if (file.empty())
        return;
    try {
        decode(file); // a decoder that cannot read the fixture fails here, before the timing
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        const Bitmap picture = decode(file);
        benchmark::DoNotOptimize(picture.pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * 1000 * 1000);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

void BM_DecodeJpeg1000x1000(benchmark::State& state)
{
    RunDecode(state, "bench-1000.jpg", [](const std::vector<std::uint8_t>& file) { return DecodeJpeg(file); });
}
BENCHMARK(BM_DecodeJpeg1000x1000)->Unit(benchmark::kMillisecond);

void BM_DecodeBmp24Bit1000x1000(benchmark::State& state)
{
    RunDecode(state, "bench-1000.bmp", [](const std::vector<std::uint8_t>& file) { return DecodeBmp(file); });
}
BENCHMARK(BM_DecodeBmp24Bit1000x1000)->Unit(benchmark::kMillisecond);

void BM_DecodePng1000x1000(benchmark::State& state)
{
    RunDecode(state, "bench-1000.png", [](const std::vector<std::uint8_t>& file) { return DecodePng(file); });
}
BENCHMARK(BM_DecodePng1000x1000)->Unit(benchmark::kMillisecond);

void BM_DecodeWebp1000x1000(benchmark::State& state)
{
    RunDecode(state, "bench-1000.webp", [](const std::vector<std::uint8_t>& file) { return DecodeWebp(file); });
}
BENCHMARK(BM_DecodeWebp1000x1000)->Unit(benchmark::kMillisecond);

// The whole load from disk, as the wizard does it: a bitmap is read a block of rows at a time.
void BM_LoadBmpFile1000x1000(benchmark::State& state)
{
    const std::filesystem::path path = kDataDir / "bench-1000.bmp";
    try {
        LoadPicture(path);
    } catch (const PictureError& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        const Bitmap picture = LoadPicture(path);
        benchmark::DoNotOptimize(picture.pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * 1000 * 1000);
}
BENCHMARK(BM_LoadBmpFile1000x1000)->Unit(benchmark::kMillisecond);

// A costly JPEG the scan pricing lets through (640 arithmetic-coded scans over 16384 blocks,
// 16 kB, priced at 0.33 s), and the hostile file of 570 repeated refinement scans (6 kB), which took
// libjpeg half a minute and is now refused before its first scan. Goal: any file under 1 MB in
// under 2 s.
void BM_DecodeSlowestAcceptedJpeg1024x1024(benchmark::State& state)
{
    const std::vector<std::uint8_t> file =
        ReadFileBytes(std::filesystem::path(VELMORA_CORPUS_DIR) / "jpeg/jpg-slow-valid-progression-1024x1024.jpg");
    for (auto _ : state) {
        const Bitmap picture = DecodeJpeg(file);
        benchmark::DoNotOptimize(picture.pixels().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_DecodeSlowestAcceptedJpeg1024x1024)->Unit(benchmark::kMillisecond);

void BM_RefuseRepeatedRefinementJpeg3344x3344(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = ReadFileBytes(std::filesystem::path(VELMORA_CORPUS_DIR) /
                                                         "broken/jpg-slow-570-repeated-refinements-3344x3344.jpg");
    for (auto _ : state) {
        try {
            DecodeJpeg(file);
            state.SkipWithError("the file was accepted");
            return;
        } catch (const PictureError&) {
        }
    }
}
BENCHMARK(BM_RefuseRepeatedRefinementJpeg3344x3344)->Unit(benchmark::kMillisecond);

void BM_StretchPointSampled4000x3000To1000x750(benchmark::State& state)
{
    Bitmap source(4000, 3000);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, MakeColor(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    }
    source.setSourceBitsPerPixel(24);
    for (auto _ : state) {
        const Bitmap chart = StretchPointSampled(source, 1000, 750);
        benchmark::DoNotOptimize(chart.pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * 1000 * 750);
}
BENCHMARK(BM_StretchPointSampled4000x3000To1000x750)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
