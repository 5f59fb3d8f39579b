#pragma once

#include "settings_store.h"
#include "picture/bitmap.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_cleanup.h"

#include <QObject>
#include <QString>

#include <filesystem>

namespace velmora {

class ChartTools;
class MainWindow;
class SchemeEditor;

// The scheme shown and the commands on it: the document, the file it was last opened from or saved
// to and whether that file holds it, the source picture as the build sampled it, the edits with
// their undo stack and the drawing tools; opening, saving, the PDFs, replacing a thread, the
// clean-up, undo and redo. The data module wires its actions to these commands; the three views,
// printing, the export and saving read Scheme. One instance, `DM->Session`.
class SchemeSession : public QObject {
    Q_OBJECT
public:
    // The drawing tools go onto `window`'s chart page. `files` are the settings' recent scheme
    // files, which opening and saving keep up to date.
    SchemeSession(MainWindow& window, SchemeFileSettings& files, QObject* parent);

    // The scheme shown: its request, the mapped picture, the chart and the legend; empty until
    // SchemeReady.
    SchemeDocument Scheme;
    bool SchemeReady = false;
    // The source picture of Scheme as the build sampled it, W × H; empty when not at hand.
    Bitmap SchemeSource;
    // The file the scheme was last saved to or opened from; empty for one not saved yet.
    std::filesystem::path SchemeFileName;
    // The edits of Scheme and their undo stack.
    SchemeEditor* Editor = nullptr;
    // The drawing tools of the chart page, whose edits go on Editor's undo stack.
    ChartTools* Tools = nullptr;
    // The clean-up passes last chosen in this run, offered again.
    CleanupOptions Cleanup{true, 0, kDefaultConfettiGroup};

    // The scheme shown has changes that its file does not hold (or it has no file yet). Derived
    // from the undo stack's clean state: undoing back to the saved state counts as saved.
    bool SchemeModified() const;
    // A change to the scheme that is not on the undo stack (a new build, the cloth): no undo or redo
    // leads back to a saved state, until the next save.
    void MarkSchemeModified();
    // The scheme shown is now what its file holds.
    void MarkSchemeSaved();

    // Before the scheme shown gives way (New, Open, closing): an unsaved scheme asks whether to
    // save it. False when the user cancels, or the save did not happen; the step then stops.
    bool QuerySaveScheme();
    // Reads a scheme file and shows it. A file that cannot be read throws, with the fault in
    // Russian, and the scheme shown stays as it was.
    void OpenScheme(const std::filesystem::path& file);
    // Writes the scheme shown to `file` whole, and remembers it as the scheme's file.
    void SaveScheme(const std::filesystem::path& file);
    // An item of "Последние схемы": a file that is gone leaves the list with a message; any other
    // opens as by "Открыть схему…".
    void OpenRecentScheme(QString file);
    // The folder the scheme-file dialogs start in: that of the scheme last opened or saved while it
    // exists, else none (the dialog's own choice).
    QString SchemeFolder() const;
    // The legend row whose thread "Заменить нитку…" replaces: the thread of the chart's current
    // cell while the chart page shows, else the legend's current row.
    int LegendRowToReplace() const;

    // The commands.
    void Open();
    void Save();
    void SaveAs();
    void SavePdf();
    void SaveSymbolsPdf();
    void Undo();
    void Redo();
    void ReplaceThread();
    void CleanUp();

signals:
    // The recent scheme files changed: the menu that lists them is made anew.
    void recentFilesChanged();
    // A scheme was opened with its own source picture (or none): the picture page shows it as
    // the user chose.
    void sourceChanged();
    // The drawing tools changed the scheme's size (a crop): the views take the view's settings
    // again.
    void reshaped();

private:
    // `file` was opened or saved: first in the recent list, its folder the dialogs' start.
    void RememberSchemeFile(const std::filesystem::path& file);
    // The name a new file of the scheme is offered under, with `ending` in place of its extension.
    QString SuggestedName(const QString& ending) const;

    SchemeFileSettings& files_;
};

} // namespace velmora
