// velmora-cli: the headless main job. Loads a picture as the wizard does, builds the scheme with
// the same engine as the window, and writes it to files.
#include "cli_options.h"
#include "progress_line.h"
#include "scheme_json.h"
#include "scheme_pdf.h"

#include "export/scheme_workbook.h"
#include "export/temp_bitmap.h"
#include "scheme/bmp_codec.h"
#include "scheme/chart_size.h"
#include "scheme/picture_loader.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_print_canvas.h"

#include <QGuiApplication>

#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

// A failure of the job itself (exit status 1), as opposed to a wrong command line.
class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The chart size as the wizard sets it: the picture's size held to the stitch range, or the
// proportional partner of a side the user gave.
void ChooseChartSize(const CliOptions& options, const Bitmap& picture, SchemeRequest& request)
{
    const int pw = picture.width(), ph = picture.height();
    if (options.width && options.height) {
        request.width = *options.width;
        request.height = *options.height;
    } else if (options.width) {
        request.width = *options.width;
        request.height = ProportionalSide(ph, request.width, pw);
    } else if (options.height) {
        request.height = *options.height;
        request.width = ProportionalSide(pw, request.height, ph);
    } else {
        request.width = HoldToStitchRange(pw);
        request.height = HoldToStitchRange(ph);
    }
}

std::vector<std::string> SymbolTexts(const CliOptions& options)
{
    if (options.symbolCodes.empty())
        return DefaultSymbolTexts(options.colors);
    std::vector<std::string> texts;
    for (const int code : options.symbolCodes)
        texts.emplace_back(1, static_cast<char>(code));
    return texts;
}

void WriteOutputs(const CliOptions& options, const SchemeRequest& request, const SchemeDocument& document,
                  const PrintDateTime& started)
{
    std::error_code error;
    fs::create_directories(options.outFolder, error);
    if (error)
        throw JobError("cannot create the folder " + options.outFolder.string() + ": " + error.message());

    if (options.bmp)
        WriteBmpFile(options.outFolder / "picture.bmp", document.picture);

    if (options.json) {
        const fs::path jsonPath = options.outFolder / "scheme.json";
        std::ofstream json(jsonPath, std::ios::binary | std::ios::trunc);
        if (!json)
            throw JobError("cannot create " + jsonPath.string());
        WriteSchemeJson(json, {options.picture.string(), request.width, request.height, request.colorCount, request.dithering},
                        document);
        json.close();
        if (!json)
            throw JobError("cannot write " + jsonPath.string());
    }

    const auto writeWorkbook = [&] {
        WriteSchemeWorkbook(options.outFolder / "scheme.xlsx",
                            {document.chart, document.legend, document.picture, DefaultChartFont(), "Arial",
                             ExecutableFolder()});
    };
    if (!options.pdf) {
        if (options.xlsx)
            writeWorkbook();
        return;
    }
    // The workbook and the PDFs share nothing but the finished scheme: a second processor writes
    // the one while the other prints. A failure of either is reported once both are done.
    std::future<void> workbook;
    if (options.xlsx)
        workbook = std::async(std::launch::async, writeWorkbook);
    {
        ProgressLine line;
        WriteSchemePdfs(options.outFolder, document, started,
                        {[&](const std::string& file) { line.Begin(file); },
                         [&](int done, int count) { line.Pages(done, count); }});
    }
    if (workbook.valid())
        workbook.get();
}

// Qt's notes about the environment (no runtime folder, a font it substituted) mean nothing to the
// user of a tool that shows no window; its errors still reach stderr.
void QtMessagesToStderr(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "velmora-cli: " << message.toStdString() << '\n';
}

int Run(const CliOptions& options, int& argc, char** argv)
{
    // Fonts and the PDF writer need a GUI application, but nothing is shown: no display is needed.
    std::unique_ptr<QGuiApplication> application;
    if (options.pdf) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QtMessagesToStderr);
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    const PrintDateTime started = CurrentPrintDateTime();

    Bitmap picture;
    try {
        picture = LoadPicture(options.picture);
    } catch (const std::exception& e) {
        std::cerr << "velmora-cli: cannot load " << options.picture.string() << ": " << e.what() << '\n';
        return 1;
    }
    try {
        SchemeRequest request;
        ChooseChartSize(options, picture, request);
        request.colorCount = options.colors;
        request.symbols = SymbolTexts(options);
        request.dithering = options.dithering;

        SchemeEngine engine;
        const SchemeDocument document = engine.BuildScheme(picture, request);
        WriteOutputs(options, request, document, started);
    } catch (const std::exception& e) {
        std::cerr << "velmora-cli: " << options.picture.string() << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace
} // namespace velmora::cli

int main(int argc, char** argv)
{
    using namespace velmora::cli;
    CliOptions options;
    try {
        options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "velmora-cli: " << e.what() << "\nTry 'velmora-cli --help'.\n";
        return 2;
    }
    if (options.help) {
        std::cout << kCliUsage;
        return 0;
    }
    return Run(options, argc, argv);
}
