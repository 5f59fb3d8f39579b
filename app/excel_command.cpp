#include "excel_command.h"

#include "data_module.h"
#include "hourglass_cursor.h"
#include "main_window.h"
#include "write_progress.h"

#include "error_box.h"
#include "export/export_error.h"
#include "export/scheme_workbook.h"
#include "view/paint/qt_bridge.h"
#include "files/output_file.h"
#include "view/paint/symbol_glyphs.h"
#include "view/qt/scheme_grid.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr char kXlsxMimeType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// Removes the workbook unless it was handed over to the spreadsheet application.
class WorkbookFile {
public:
    explicit WorkbookFile(QString path) : path_(std::move(path)) {}
    ~WorkbookFile()
    {
        if (!kept_)
            QFile::remove(path_);
    }
    WorkbookFile(const WorkbookFile&) = delete;
    WorkbookFile& operator=(const WorkbookFile&) = delete;

    const QString& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    QString path_;
    bool kept_ = false;
};

// A new, empty file of a name no other workbook has, reserved so that no other program takes it.
QString ReserveWorkbookName()
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/velmora-scheme-XXXXXX.xlsx"));
    file.setAutoRemove(false);
    if (!file.open())
        throw ExportError(("Не удалось создать файл книги во временной папке\n" +
                           QDir::toNativeSeparators(QDir::tempPath()) + "\n" + file.errorString())
                              .toStdString());
    return file.fileName();
}

// On a freedesktop system the file opens only where an application is set up for workbooks;
// QDesktopServices would start the opener and report success either way.
void CheckSpreadsheetApplication()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        return;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(kXlsxMimeType)});
    if (!query.waitForFinished(5000))
        return;
    if (query.readAllStandardOutput().trimmed().isEmpty())
        throw ExportError("Не настроена программа электронных таблиц, которая открывает книги (.xlsx)");
#endif
}

void OpenWithDesktop(const QString& file)
{
    CheckSpreadsheetApplication();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        throw ExportError("Рабочий стол не смог открыть книгу программой электронных таблиц");
}

SpreadsheetOpen& CurrentOpen()
{
    static SpreadsheetOpen open = OpenWithDesktop;
    return open;
}

} // namespace

SpreadsheetOpen InstallSpreadsheetOpen(SpreadsheetOpen open)
{
    SpreadsheetOpen previous = std::move(CurrentOpen());
    CurrentOpen() = open ? std::move(open) : SpreadsheetOpen(OpenWithDesktop);
    return previous;
}

void RunExcelCommand(MainWindow& main)
{
    std::optional<WorkbookFile> workbook;
    // The scheme from the data module; the fonts are the chart grid's, as the user set them.
    const SchemeDocument& scheme = DM->Session->Scheme;
    const GridModel& chart = main.ChartGrid->model();
    SymbolAreaGlyphs glyphs;
    {
        HourglassCursor hourglass;
        workbook.emplace(ReserveWorkbookName());
        glyphs = InstalledSymbolGlyphs(chart.Font.name);
    }
    // The workbook library writes without a word until it is done; the window repaints meanwhile,
    // and a cancelled workbook goes with `workbook`.
    const SchemeWorkbookInput input{scheme.chart, scheme.legend, scheme.picture, chart.Font, chart.FixedFont.name, {},
                                    glyphs, scheme.backstitches, scheme.fabricCount};
    WriteProgress progress(&main, QStringLiteral("Запись книги Excel…"));
    progress.RunAside([&] {
        try {
            WriteSchemeWorkbook(ToPath(workbook->path()), input);
        } catch (const FileWriteError& e) {
            ThrowNotWritten(e, ToPath(workbook->path()));
        }
    });
    try {
        CurrentOpen()(workbook->path());
    } catch (const std::exception& failure) {
        // The workbook is whole: the user can still open it by hand, so it stays and the message
        // says where, the path on a line of its own so that the error box keeps it whole.
        workbook->keep();
        throw ExportError(std::string(failure.what()) + ".\nКнига сохранена в файле\n" +
                          QDir::toNativeSeparators(workbook->path()).toStdString());
    }
    workbook->keep();
}

} // namespace velmora
