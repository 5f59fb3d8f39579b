// Writing the workbook of a 1000 x 1000 scheme: the chart's million cells with their formats, the
// legend and the embedded picture. Goals: under 0.4 s of CPU and 60 MB.
#include "export/scheme_workbook.h"

#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "view/scheme_grids.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace velmora;
namespace fs = std::filesystem;

SchemeDocument BigScheme()
{
    constexpr int kSide = 1000;
    Bitmap source(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            source.setPixel(x, y, MakeColor(x * 255 / kSide, y * 255 / kSide, (x + y) * 127 / kSide));
    SchemeRequest request;
    request.width = kSide;
    request.height = kSide;
    request.colorCount = 100;
    request.symbols = DefaultSymbolTexts(request.colorCount);
    SchemeEngine engine;
    return engine.BuildScheme(source, request);
}

void BM_ExportWorkbook1000(benchmark::State& state)
{
    const SchemeDocument document = BigScheme();
    const fs::path folder = fs::temp_directory_path() / ("velmora-export-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path book = folder / "scheme.xlsx";
    for (auto _ : state)
        WriteSchemeWorkbook(book, {document.chart, document.legend, document.picture, DefaultSymbolFont(), "Arial", folder});
    state.counters["MB"] = static_cast<double>(fs::file_size(book)) / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0; // the scheme's build included
    fs::remove_all(folder);
}
BENCHMARK(BM_ExportWorkbook1000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
