// The clean-up passes on the largest chart: 1000 × 1000 stitches of 100 threads, mapped with error
// diffusion from the corpus meadow photo, so that about a fifth of its stitches are confetti. The
// three passes together, as the window's "Очистить схему…" and velmora-cli make them, must take
// well under 100 ms. Each pass is undone outside the timing, so every round starts from the chart
// as built.
#include "largest_scheme.h"

#include "scheme/scheme_cleanup.h"

#include <benchmark/benchmark.h>

namespace velmora {
namespace {

// The meadow photo as the build sampled it, for the confetti's colours.
const Bitmap& LargestSource()
{
    static const Bitmap source = WorkingPicture(
        LoadPicture(std::filesystem::path(VELMORA_CORPUS_DIR) / "photos" / "large-greenmeadow-1280x1024.jpg"),
        kMaxStitches, kMaxStitches);
    return source;
}

template <class Pass>
void RunPass(benchmark::State& state, Pass&& pass)
{
    SchemeDocument scheme = LargestScheme();
    const Bitmap& source = LargestSource();
    std::size_t stitches = 0;
    for (auto _ : state) {
        const std::vector<StitchEdit> edits = pass(scheme, source);
        state.PauseTiming();
        stitches = 0;
        for (const StitchEdit& edit : edits)
            stitches += edit.stitches.size();
        UndoStitchEdits(scheme, edits);
        state.ResumeTiming();
    }
    state.counters["stitches"] = static_cast<double>(stitches);
}

const ColourDistanceFunction kDistance = BuildColourDistance({});

void BM_RemoveUnusedThreads(benchmark::State& state)
{
    RunPass(state, [](SchemeDocument& scheme, const Bitmap&) { return RemoveUnusedThreads(scheme); });
}
BENCHMARK(BM_RemoveUnusedThreads)->Unit(benchmark::kMillisecond);

// K = 20 (the window's default) and 2000, which merges about half of the 100 threads.
void BM_MergeSmallThreads(benchmark::State& state)
{
    const int fewest = static_cast<int>(state.range(0));
    RunPass(state, [fewest](SchemeDocument& scheme, const Bitmap&) {
        return MergeSmallThreads(scheme, fewest, kDistance);
    });
}
BENCHMARK(BM_MergeSmallThreads)->Arg(kDefaultFewestStitches)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_RemoveConfetti(benchmark::State& state)
{
    const int largest = static_cast<int>(state.range(0));
    RunPass(state, [largest](SchemeDocument& scheme, const Bitmap& source) {
        return RemoveConfetti(scheme, largest, source, kDistance);
    });
}
BENCHMARK(BM_RemoveConfetti)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_CleanUpScheme(benchmark::State& state)
{
    RunPass(state, [](SchemeDocument& scheme, const Bitmap& source) {
        return CleanUpScheme(scheme, {true, kDefaultFewestStitches, kDefaultConfettiGroup}, source).edits;
    });
}
BENCHMARK(BM_CleanUpScheme)->Unit(benchmark::kMillisecond);

void BM_SingleStitchShare(benchmark::State& state)
{
    const SchemeDocument& scheme = LargestScheme();
    double share = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(share = SingleStitchShare(scheme));
    state.counters["share"] = share;
}
BENCHMARK(BM_SingleStitchShare)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora
