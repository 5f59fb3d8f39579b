#include "scheme_session.h"

#include "chart_tools.h"
#include "cleanup_dialog.h"
#include "error_box.h"
#include "hourglass_cursor.h"
#include "main_window.h"
#include "prompter.h"
#include "scheme_editor.h"
#include "write_progress.h"
#include "files/output_file.h"
#include "scheme/scheme_file.h"
#include "scheme/source_picture.h"
#include "view/paint/qt_bridge.h"
#include "view/paint/qt_print_canvas.h"
#include "view/qt/grid_printer.h"
#include "view/qt/scheme_grid.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QUndoStack>

#include <optional>

namespace velmora {

namespace {

const QString kSchemeSuffix = QStringLiteral("velmora");

QString ShownPath(const std::filesystem::path& file) { return QDir::toNativeSeparators(ToQString(file)); }

// The settings keep their texts in Windows-1251: a path it cannot spell is not remembered.
std::optional<std::string> StoredPath(const std::filesystem::path& file)
{
    const QString name = QDir::cleanPath(ToQString(std::filesystem::absolute(file)));
    std::string text = QStringToCp1251(name);
    if (Cp1251ToQString(text) != name)
        return std::nullopt;
    return text;
}

// The print command's pages into a PDF file chosen in a save dialog, through the writer that
// velmora-cli's PDFs go through.
void SaveGridPdf(const GridModel& grid, const QString& caption, const QString& suggested)
{
    const std::optional<QString> chosen = CurrentPrompter().ChooseSaveFile(
        fm_Main, caption, QStringLiteral("Файлы PDF (*.pdf)"), suggested, QStringLiteral("pdf"));
    if (!chosen)
        return;
    const std::filesystem::path file = ToPath(*chosen);
    try {
        WriteProgress progress(fm_Main, QStringLiteral("Запись страниц в файл PDF…"));
        PrintJobSetup setup = SystemPrintSetup();
        setup.progress = [&progress](int done, int pageCount) { progress.Step(done, pageCount); };
        PrintGridToPdf(grid, file, std::move(setup));
    } catch (const FileWriteError& e) {
        ThrowNotWritten(e, file);
    }
}

} // namespace

SchemeSession::SchemeSession(MainWindow& window, SchemeFileSettings& files, QObject* parent)
    : QObject(parent), files_(files)
{
    setObjectName(QStringLiteral("SchemeSession"));
    Editor = new SchemeEditor(
        this, [this]() -> SchemeDocument& { return Scheme; },
        [] { fm_Main->RefreshScheme(); });
    // Undo and redo move to and from the saved state.
    connect(Editor->UndoStack, &QUndoStack::cleanChanged, this, [] {
        // The stack also clears as the window goes.
        if (fm_Main != nullptr)
            fm_Main->ShowTitle();
    });
    Tools = new ChartTools(
        *window.ts_Image, *window.ChartGrid, *window.LegendGrid, [this]() -> SchemeDocument& { return Scheme; },
        *Editor->UndoStack,
        [](const StitchEdit& edit) {
            fm_Main->RefreshStitches(edit);
        },
        [this] {
            fm_Main->RefreshScheme();
            emit reshaped();
        });
}

bool SchemeSession::SchemeModified() const
{
    return SchemeReady && !Editor->UndoStack->isClean();
}

void SchemeSession::MarkSchemeModified()
{
    Editor->UndoStack->resetClean();
    fm_Main->ShowTitle();
}

void SchemeSession::MarkSchemeSaved()
{
    Editor->UndoStack->setClean();
    fm_Main->ShowTitle();
}

void SchemeSession::RememberSchemeFile(const std::filesystem::path& file)
{
    if (const std::optional<std::string> stored = StoredPath(file)) {
        files_.Remember(*stored);
        emit recentFilesChanged();
    }
}

QString SchemeSession::SchemeFolder() const
{
    const QString folder = Cp1251ToQString(files_.folder);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

// The scheme file's name, else the picture's; one without a file goes to the folder of the scheme
// last opened or saved.
QString SchemeSession::SuggestedName(const QString& ending) const
{
    if (!SchemeFileName.empty()) {
        const QFileInfo file(ToQString(SchemeFileName));
        return file.dir().filePath(file.completeBaseName() + ending);
    }
    const QString name = !Scheme.pictureName.empty()
                             ? QFileInfo(QString::fromStdString(Scheme.pictureName)).completeBaseName() + ending
                             : QStringLiteral("схема") + ending;
    const QString folder = SchemeFolder();
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

void SchemeSession::Undo()
{
    Editor->UndoStack->undo();
}

void SchemeSession::Redo()
{
    Editor->UndoStack->redo();
}

int SchemeSession::LegendRowToReplace() const
{
    // The chart page replaces the thread of its current cell; any other page, the legend's row.
    if (fm_Main->PageControl->currentWidget() == fm_Main->ts_Image)
        return Editor->LegendRowOfChartCell(fm_Main->ChartGrid->Col(), fm_Main->ChartGrid->Row());
    return fm_Main->LegendGrid->Row();
}

void SchemeSession::ReplaceThread()
{
    Editor->ReplaceThreadOfLegendRow(fm_Main, LegendRowToReplace());
}

void SchemeSession::CleanUp()
{
    CleanupDialog fm_Cleanup(Scheme, SchemeSource, Cleanup, fm_Main);
    if (fm_Cleanup.exec() != QDialog::Accepted)
        return;
    Cleanup = fm_Cleanup.Options();
    const HourglassCursor hourglass;
    Editor->CleanUp(Cleanup, SchemeSource);
}

bool SchemeSession::QuerySaveScheme()
{
    if (!SchemeModified())
        return true;
    switch (CurrentPrompter().AskYesNoCancel(fm_Main, QStringLiteral("Вельмора"),
                                             QStringLiteral("Схема не сохранена. Сохранить её?"))) {
    case Prompter::Answer::No:
        return true;
    case Prompter::Answer::Cancel:
        return false;
    case Prompter::Answer::Yes:
        break;
    }
    // A save that is cancelled or fails keeps the scheme and stops the step; a failure is shown.
    bool saved = false;
    RunGuarded([this, &saved] {
        Save();
        saved = !SchemeModified();
    });
    return saved;
}

void SchemeSession::Open()
{
    if (!QuerySaveScheme())
        return;
    const std::optional<QString> file = CurrentPrompter().ChooseOpenFile(
        fm_Main, QStringLiteral("Открыть схему"),
        QStringLiteral("Схемы вышивки (*.velmora *.json);;Все файлы (*)"), SchemeFolder());
    if (file)
        OpenScheme(ToPath(*file));
}

void SchemeSession::OpenScheme(const std::filesystem::path& file)
{
    SchemeDocument document;
    try {
        document = ReadSchemeFile(file);
    } catch (const SchemeFileError& e) {
        throw std::runtime_error(
            ("Не удалось открыть схему\n" + ShownPath(file) + "\n" + QString::fromStdString(e.russian())).toStdString());
    }
    fm_Main->ShowScheme(std::move(document));
    SchemeFileName = file;
    MarkSchemeSaved();
    RememberSchemeFile(file);
    SchemeSource = RecordedSourcePicture(Scheme, file);
    emit sourceChanged();
}

void SchemeSession::OpenRecentScheme(QString file)
{
    if (!QFileInfo::exists(file)) {
        if (const std::optional<std::string> stored = StoredPath(ToPath(file)))
            files_.Forget(*stored);
        emit recentFilesChanged();
        throw std::runtime_error(QStringLiteral("Файл «%1» не найден. Он убран из списка последних схем.")
                                     .arg(QDir::toNativeSeparators(file))
                                     .toStdString());
    }
    if (!QuerySaveScheme())
        return;
    OpenScheme(ToPath(file));
}

void SchemeSession::SaveScheme(const std::filesystem::path& file)
{
    try {
        // The text of a large scheme takes a while; it is made aside and goes in place only whole.
        OutputFile out(file);
        WriteProgress progress(fm_Main, QStringLiteral("Сохранение схемы…"));
        progress.RunAside([&out, this] {
            WriteSchemeFileText(Scheme, [&out](std::string_view text) { out.Write(text); });
            out.Finish();
        });
        out.Commit();
    } catch (const FileWriteError& e) {
        ThrowNotWritten(e, file);
    }
    SchemeFileName = file;
    MarkSchemeSaved();
    RememberSchemeFile(file);
}

void SchemeSession::Save()
{
    std::filesystem::path file = SchemeFileName;
    if (file.empty()) {
        const std::optional<QString> chosen = CurrentPrompter().ChooseSaveFile(
            fm_Main, QStringLiteral("Сохранить схему"), QStringLiteral("Схемы вышивки (*.velmora)"),
            SuggestedName(QStringLiteral(".velmora")), kSchemeSuffix);
        if (!chosen)
            return;
        file = ToPath(*chosen);
    }
    SaveScheme(file);
}

void SchemeSession::SaveAs()
{
    const std::optional<QString> chosen = CurrentPrompter().ChooseSaveFile(
        fm_Main, QStringLiteral("Сохранить схему как"), QStringLiteral("Схемы вышивки (*.velmora)"),
        SuggestedName(QStringLiteral(".velmora")), kSchemeSuffix);
    if (chosen)
        SaveScheme(ToPath(*chosen));
}

void SchemeSession::SavePdf()
{
    SaveGridPdf(fm_Main->ChartGrid->model(), QStringLiteral("Сохранить схему в PDF"),
                SuggestedName(QStringLiteral(".pdf")));
}

void SchemeSession::SaveSymbolsPdf()
{
    SaveGridPdf(fm_Main->LegendGrid->model(), QStringLiteral("Сохранить символы в PDF"),
                SuggestedName(QStringLiteral("-символы.pdf")));
}

} // namespace velmora
