// velmora-cli-qt: the module of velmora-cli's Qt parts (see qt_jobs.h).
#include "cli/qt_jobs.h"

#include "view/paint/symbol_glyphs.h"

#include <QGuiApplication>

#include <iostream>
#include <memory>

namespace velmora::cli {
namespace {

std::unique_ptr<QGuiApplication> application;
int qtArgc = 1;
char* qtArgv[] = {nullptr, nullptr};

// Qt's notes about the environment (no runtime folder, a font it substituted) mean nothing to the
// user of a tool that shows no window; its errors still reach stderr.
void QtMessagesToStderr(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "velmora-cli: " << message.toStdString() << '\n';
}

// Fonts and the PDF writer need a GUI application, but nothing is shown: no display is needed.
// Qt gets the program's name only: the tool's own arguments are no options of Qt's.
void Start(char* programName)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QtMessagesToStderr);
    qtArgv[0] = programName;
    application = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
}

void Stop() { application.reset(); }

SymbolAreaGlyphs SymbolGlyphs(std::string_view face) { return InstalledSymbolGlyphs(face); }

void WriteWorkbook(OutputFile& file, const SchemeWorkbookInput& input) { WriteSchemeWorkbook(file, input); }

const QtJobs kJobs{Start, Stop, SymbolGlyphs, WriteWorkbook, WriteSchemePdfs};

} // namespace
} // namespace velmora::cli

#ifdef _WIN32
extern "C" __declspec(dllexport)
#else
extern "C"
#endif
const velmora::cli::QtJobs* velmora_cli_qt_jobs()
{
    return &velmora::cli::kJobs;
}
