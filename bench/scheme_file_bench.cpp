// Saving and opening a scheme file of the largest chart: 1000 × 1000 stitches of 100 threads,
// mapped with error diffusion from the corpus meadow photo, so that neighbouring stitches differ
// as they do in a real scheme. The counter "file_MB" is the size of the file.
#include "largest_scheme.h"

#include "scheme/scheme_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace velmora {
namespace {

void BM_SaveSchemeFile(benchmark::State& state)
{
    const SchemeDocument& scheme = LargestScheme();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string text = SchemeFileText(scheme);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["file_MB"] = static_cast<double>(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SaveSchemeFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_OpenSchemeFile(benchmark::State& state)
{
    const std::string text = SchemeFileText(LargestScheme());
    for (auto _ : state) {
        SchemeDocument scheme = ParseSchemeFile(text);
        benchmark::DoNotOptimize(scheme.picture.pixels().data());
    }
    state.counters["file_MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenSchemeFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
} // namespace velmora
