// velmora-cli's engine: the headless main job. Loads a picture as the wizard does, builds the
// scheme with the same engine as the window, and writes it to files; or reads a scheme file the
// window or an earlier run saved and writes the same files again.
#include "cli_options.h"
#include "cli_version.h"
#include "print_text.h"
#include "progress_line.h"
#include "qt_jobs.h"

#include "picture/bmp_codec.h"
#include "scheme/crop_scheme.h"
#include "files/output_file.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_cleanup.h"
#include "scheme/scheme_file.h"
#include "scheme/skeins.h"
#include "scheme/source_picture.h"
#include "scheme/thread_edit.h"
#include "view/chart_look.h"
#include "view/scheme_grids.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <ctime>
#include <exception>
#include <filesystem>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

// A failure of the job itself (exit status 1), as opposed to a wrong command line.
class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::string> SymbolTexts(const CliOptions& options)
{
    std::vector<std::string> texts;
    for (const int code : options.symbolCodes)
        texts.emplace_back(1, static_cast<char>(code));
    return texts;
}

void CreateFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw JobError("cannot create the folder " + folder.string() + ": " + error.message());
}

ChartLook LookOf(const CliOptions& options)
{
    ChartLook look;
    look.tenLines = options.tenLines;
    look.colorCells = options.colorCells;
    look.skeins = options.skeins;
    return look;
}

// The workbook and the PDFs share nothing but the finished scheme: a second processor writes the
// one while the other prints. Once both are done, a failure is reported in the order of the files,
// the workbook's before the PDFs'.
void WriteWorkbookAndPdfs(const CliOptions& options, const SchemeDocument& document, const PrintDateTime& started,
                          std::optional<OutputFile>& workbook, std::optional<OutputFile>& chart,
                          std::optional<OutputFile>& legend)
{
    // The workbook's fonts are those of the chart grid as the window designs it.
    GridModel chartGrid;
    DesignChartGrid(chartGrid);
    // The symbol face is looked up here, on the thread of the application's fonts.
    const SymbolAreaGlyphs symbolGlyphs = options.xlsx ? LoadQtJobs().installedSymbolGlyphs(chartGrid.Font.name)
                                                       : SymbolAreaGlyphs{};
    ChartLook look = LookOf(options);
    look.fabricCount = document.fabricCount;
    const CellTable legendTable = LegendWithSkeins(document.legend, look.skeins, look.fabricCount);
    const auto writeWorkbook = [&] {
        LoadQtJobs().writeSchemeWorkbook(*workbook, {document.chart, legendTable, document.picture, chartGrid.Font,
                                                     chartGrid.FixedFont.name, {}, symbolGlyphs,
                                                     document.backstitches, document.fabricCount});
    };
    std::future<void> workbookWritten;
    if (options.xlsx) {
        workbook.emplace(options.outFolder / "scheme.xlsx");
        if (options.pdf)
            workbookWritten = std::async(std::launch::async, writeWorkbook);
        else
            writeWorkbook();
    }
    std::exception_ptr pdfFailure;
    if (options.pdf) {
        try {
            chart.emplace(options.outFolder / "chart.pdf");
            legend.emplace(options.outFolder / "legend.pdf");
            ProgressLine line;
            LoadQtJobs().writeSchemePdfs(*chart, *legend, document, started,
                                         {[&](const std::string& file) { line.Begin(file); },
                                          [&](int done, int count) { line.Pages(done, count); }},
                                         look);
        } catch (...) {
            pdfFailure = std::current_exception();
        }
    }
    if (workbookWritten.valid())
        workbookWritten.get();
    if (pdfFailure)
        std::rethrow_exception(pdfFailure);
}

// Every file goes under a temporary name first, and all are put in their places only once all
// are complete: a run that fails leaves the files of the run before as they were.
void WriteOutputs(const CliOptions& options, const SchemeDocument& document, const PrintDateTime& started)
{
    CreateFolder(options.outFolder);
    std::optional<OutputFile> picture, jsonFile, workbook, chart, legend;
    if (options.bmp) {
        picture.emplace(options.outFolder / "picture.bmp");
        EncodeBmp24(document.picture,
                    [&](std::span<const std::uint8_t> piece) { picture->Write(piece.data(), piece.size()); });
        picture->Finish();
    }
    if (options.json) {
        jsonFile.emplace(options.outFolder / "scheme.json");
        WriteSchemeFileText(document, [&](std::string_view piece) { jsonFile->Write(piece); });
        jsonFile->Finish();
    }
    WriteWorkbookAndPdfs(options, document, started, workbook, chart, legend);

    // Only a run that has every file whole and on disk puts them in place, all in a row, and then
    // flushes the folder once: a run killed in between leaves each file whole, some of them
    // from the run before.
    const auto files = {&picture, &jsonFile, &workbook, &chart, &legend};
    for (std::optional<OutputFile>* file : files)
        if (*file)
            (*file)->Finish();
    for (std::optional<OutputFile>* file : files)
        if (*file)
            (*file)->MoveIntoPlace();
    SyncFolder(options.outFolder);
}

// The --replace-thread edits in their order, before anything is written.
void ReplaceThreads(const CliOptions& options, SchemeDocument& document)
{
    for (const auto& [from, to] : options.threadReplacements) {
        try {
            ReplaceThread(document, FindDmc(from), FindDmc(to));
        } catch (const ThreadEditError& e) {
            throw JobError("--replace-thread " + from + "=" + to + ": " + e.what());
        }
    }
}

// --crop, once the chart's size is known: a window off it is a wrong command line. The picture
// the build sampled, when at hand, is cut alike.
void Crop(const CliOptions& options, SchemeDocument& document, Bitmap& source)
{
    if (!options.crop)
        return;
    const CropWindow& w = *options.crop;
    try {
        const int width = document.chart.columns() - 1, height = document.chart.rows() - 2;
        document = CropScheme(document, w);
        if (source.width() == width && source.height() == height)
            source = CropPicture(source, w);
    } catch (const ThreadEditError& e) {
        throw UsageError("--crop " + std::to_string(w.x + 1) + "," + std::to_string(w.y + 1) + "," +
                         std::to_string(w.width) + "," + std::to_string(w.height) + ": " + e.what());
    }
}

// The moment the job started, on the local clock, for the PDFs' footers.
PrintDateTime Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// Runs a step of the job: 0, or 1 with its failure on stderr after `context` (2 for an option
// that only the scheme shows to be wrong).
template <class Step>
int RunStep(const std::string& context, Step&& step)
{
    try {
        step();
    } catch (const UsageError& e) {
        std::cerr << "velmora-cli: " << context << ": " << e.what() << "\nTry 'velmora-cli --help'.\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "velmora-cli: " << context << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}

// The end of every job, from a picture or a scheme file: the cloth asked for (else the scheme's
// own, 14 count for a new one), the threads replaced, the chart cropped, the scheme cleaned up, the
// files written. `source` is the picture as the build sampled it, for the confetti; empty when not
// at hand.
void WriteScheme(const CliOptions& options, SchemeDocument& document, Bitmap source, const PrintDateTime& started)
{
    if (options.fabricCount)
        document.fabricCount = *options.fabricCount;
    ReplaceThreads(options, document);
    Crop(options, document, source);
    CleanUpScheme(document, options.cleanup, source);
    WriteOutputs(options, document, started);
}

// Qt, started for the length of the job.
class QtRunning {
public:
    QtRunning(const QtJobs& jobs, char* programName) : jobs_(jobs) { jobs_.start(programName); }
    ~QtRunning() { jobs_.stop(); }
    QtRunning(const QtRunning&) = delete;
    QtRunning& operator=(const QtRunning&) = delete;

private:
    const QtJobs& jobs_;
};

int Run(const CliOptions& options, char* programName)
{
    // The workbook and the PDFs need Qt; the picture and scheme.json do without its start-up.
    std::optional<QtRunning> qt;
    if (options.xlsx || options.pdf) {
        try {
            qt.emplace(LoadQtJobs(), programName);
        } catch (const std::exception& e) {
            std::cerr << "velmora-cli: " << e.what() << '\n';
            return 1;
        }
    }
    const PrintDateTime started = Now();

    const std::string name = options.picture.string();
    if (IsSchemeFile(options.picture)) {
        SchemeDocument document;
        if (RunStep("cannot read the scheme " + name, [&] { document = ReadSchemeFile(options.picture); }) != 0)
            return 1;
        return RunStep(name, [&] {
            // As the window finds the picture of a scheme it opens.
            Bitmap source = options.cleanup.confettiGroup > 0 ? RecordedSourcePicture(document, options.picture)
                                                                    : Bitmap();
            WriteScheme(options, document, std::move(source), started);
        });
    }

    Bitmap picture;
    if (RunStep("cannot load " + name, [&] { picture = LoadPicture(options.picture); }) != 0)
        return 1;
    return RunStep(name, [&] {
        const SchemeRequest request = MakeSchemeRequest(
            picture, {options.width, options.height, options.colors, SymbolTexts(options), options.dithering,
                      options.perceptual, OpenSides::Proportional});
        // The confetti looks at the picture as the build samples it, as the window keeps it.
        Bitmap source = options.cleanup.confettiGroup > 0
                                  ? WorkingPicture(picture, request)
                                  : Bitmap();
        // The picture becomes the build's working picture, and the engine's colour reduction is no
        // longer needed once the scheme is made: neither is kept while the files are written.
        SchemeDocument document = SchemeEngine().BuildScheme(std::move(picture), request);
        document.pictureName = name;
        WriteScheme(options, document, std::move(source), started);
    });
}

} // namespace
} // namespace velmora::cli

// The engine's entry, which the front (front.cpp) calls with the whole command line.
#ifdef _WIN32
extern "C" __declspec(dllexport)
#else
extern "C"
#endif
int velmora_cli_engine(int argc, char** argv) noexcept
{
    using namespace velmora::cli;
#ifdef __GLIBC__
    // The job's buffers of a picture's size each come and go once. Taken from the heap rather than
    // mapped afresh and handed back every time, a buffer reuses the pages its predecessors touched.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
#endif
    CliOptions options;
    try {
        options = ParseCliOptions(argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>());
    } catch (const UsageError& e) {
        std::cerr << "velmora-cli: " << e.what() << "\nTry 'velmora-cli --help'.\n";
        return 2;
    }
    if (options.help)
        return PrintText(kCliUsage);
    if (options.version)
        return PrintText(VersionText() + '\n');
    // Whether the input is a scheme is known from its content only; a scheme is made already.
    if (!options.schemeOptions.empty() && velmora::IsSchemeFile(options.picture)) {
        std::cerr << "velmora-cli: " << options.schemeOptions.front() << ": " << options.picture.string()
                  << " is a scheme file; size, colour and symbol options apply to a picture only\nTry 'velmora-cli --help'.\n";
        return 2;
    }
    static char defaultName[] = "velmora-cli";
    return Run(options, argc > 0 && argv[0] ? argv[0] : defaultName);
}
