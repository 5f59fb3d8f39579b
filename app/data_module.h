#pragma once

#include "action.h"
#include "font_dialog.h"
#include "settings_store.h"
#include "scheme/bitmap.h"
#include "scheme/dmc_inc.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_cleanup.h"

#include <QIcon>
#include <QObject>

#include <array>
#include <filesystem>
#include <string>

class QFileDialog;
class QMenu;
class QMenuBar;

namespace velmora {

class ChartTools;
class SchemeEditor;
class MainWindow;

// The data module: the commands, the main menu, the images, the two common dialogs, the settings
// and the state of the run. One instance, `DM`, owned by the main window; reachable from the moment
// its construction begins until it is destroyed with the window.
class DataModule : public QObject {
    Q_OBJECT
public:
    // Images by index, as the commands and the menu refer to them.
    // The seven images of the commands first; the images of the scheme-file commands after them.
    enum ImageIndex {
        imgNew,
        imgOptions,
        imgPrint,
        imgAbout,
        imgExit,
        imgExcel,
        imgDMC,
        imgOpen,
        imgSave,
        imgSavePdf,
        imgSaveSymbolsPdf,
        kImageCount
    };

    explicit DataModule(MainWindow* owner);
    ~DataModule() override;

    std::array<QIcon, kImageCount> ImageList;

    HintedAction* ac_FileNew = nullptr;
    HintedAction* ac_FilePrint = nullptr;
    HintedAction* ac_FilePrintSymbols = nullptr;
    HintedAction* ac_FileExit = nullptr;
    HintedAction* ac_ServiceExcel = nullptr;
    HintedAction* ac_ServiceDMC = nullptr;
    HintedAction* ac_ServiceOptions = nullptr;
    HintedAction* ac_HelpAbout = nullptr;
    // The edits of the scheme shown.
    HintedAction* ac_EditUndo = nullptr;
    HintedAction* ac_EditRedo = nullptr;
    HintedAction* ac_EditReplaceThread = nullptr;
    HintedAction* ac_EditCleanUp = nullptr;
    // The source picture beside or in place of the mapped picture; checkable, at most one on.
    HintedAction* ac_EditSourceBeside = nullptr;
    HintedAction* ac_EditSourceInstead = nullptr;
    // The drawing tools' bar on the chart page; checkable, off at the start.
    HintedAction* ac_EditDrawTools = nullptr;
    // The scheme file and the PDF files.
    HintedAction* ac_FileOpen = nullptr;
    HintedAction* ac_FileSave = nullptr;
    HintedAction* ac_FileSaveAs = nullptr;
    HintedAction* ac_FileSavePdf = nullptr;
    HintedAction* ac_FileSaveSymbolsPdf = nullptr;
    // The view: the chart's look and the cloth (kept in the settings), the zoom of the chart.
    HintedAction* ac_ViewTenLines = nullptr;
    HintedAction* ac_ViewColorCells = nullptr;
    HintedAction* ac_ViewSkeins = nullptr;
    HintedAction* ac_ViewFabric = nullptr;
    HintedAction* ac_ViewZoomIn = nullptr;
    HintedAction* ac_ViewZoomOut = nullptr;

    // The menu bar belongs to the main window as a widget; the data module builds it and keeps the
    // top items. Its items are the commands themselves.
    QMenuBar* MainMenu = nullptr;
    QMenu* mi_File = nullptr;
    // "Последние схемы": one item per file of SchemeFiles.recent, named mi_FileRecent1 and on.
    QMenu* mi_FileRecent = nullptr;
    QMenu* mi_Edit = nullptr;
    QMenu* mi_Service = nullptr;
    QMenu* mi_View = nullptr;
    QMenu* mi_Help = nullptr;
    QAction* FileExitSeparator = nullptr;
    QAction* FilePrintSeparator = nullptr; // between the print and the file commands
    QAction* ServiceOptionsSeparator = nullptr;
    QAction* EditUndoSeparator = nullptr; // between undo and redo and the edits
    QAction* EditSourceSeparator = nullptr; // between the edits and the source picture
    // The picture page's context menu: the source picture commands.
    QMenu* pm_Picture = nullptr;

    // The wizard's picture dialog; a child of the main window, as a dialog must be.
    QFileDialog* OpenPictureDialog = nullptr;
    SymbolFontDialog FontDialog;

    // The settings store with its location and its one stored value, the text of "Dithering".
    // It keeps the settings in the registry installed for the program (InstallSettingsRegistry),
    // or else nowhere: it starts empty and what it saves is forgotten.
    DiscardingSettingsRegistry PrivateSettings;
    SettingsStore Settings{InstalledSettingsRegistry() ? *InstalledSettingsRegistry() : PrivateSettings};
    std::string SettingsKey;
    std::string SettingsSection;
    std::string StoredDithering = "True";
    // The chart's look, the cloth, the zoom and the window's placement, kept after "Dithering".
    ViewSettings View;
    // The wizard's "Точные цвета", kept after the view.
    WizardSettings Wizard;
    // The scheme files last opened or saved and the folder of the latest, kept after the view.
    SchemeFileSettings SchemeFiles;

    SchemeEngine Engine;
    // The scheme builder's thread bookkeeping, one entry per catalogue thread.
    std::array<int, kDmcCount>& DMCUsed = Engine.DMCUsed;
    Bitmap SourcePicture;
    bool PictureLoaded = false;
    bool SchemeReady = false;
    bool Dithering = false;

    // The scheme shown: its request, the mapped picture, the chart and the legend. The three views,
    // printing, the export and saving all read it; empty until SchemeReady.
    SchemeDocument Scheme;
    // The scheme shown has changes that its file does not hold (or it has no file yet). Derived
    // from the undo stack's clean state: undoing back to the saved state counts as saved.
    bool SchemeModified() const;
    // A change to the scheme that is not on the undo stack (a new build, the cloth): no undo or redo
    // leads back to a saved state, until the next save.
    void MarkSchemeModified();
    // The scheme shown is now what its file holds.
    void MarkSchemeSaved();
    // The source picture of Scheme as the build sampled it, W × H; empty when not at hand.
    Bitmap SchemeSource;
    // The edits of Scheme and their undo stack.
    SchemeEditor* Editor = nullptr;
    // The drawing tools of the chart page, whose edits go on Editor's undo stack.
    ChartTools* Tools = nullptr;
    // The clean-up passes last chosen in this run, offered again.
    CleanupOptions Cleanup{true, 0, kDefaultConfettiGroup};
    // The file the scheme was last saved to or opened from; empty for one not saved yet.
    std::filesystem::path SchemeFileName;

    void DataModuleCreate();
    void DataModuleDestroy();

    // Re-evaluates the enabled state of every command that has an update handler. Runs whenever
    // the application is about to wait for input, when a menu opens and before a command runs.
    void UpdateActions();
    void ac_FilePrintUpdate(QAction& sender);

    void ac_FileNewExecute();
    void ac_FilePrintExecute();
    void ac_FilePrintSymbolsExecute();
    void ac_FileExitExecute();
    void ac_ServiceExcelExecute();
    void ac_ServiceDMCExecute();
    void ac_ServiceOptionsExecute();
    void ac_HelpAboutExecute();
    void ac_EditUndoExecute();
    void ac_EditRedoExecute();
    void ac_EditReplaceThreadExecute();
    // The legend row whose thread "Заменить нитку…" replaces: the thread of the chart's current
    // cell while the chart page shows, else the legend's current row.
    int LegendRowToReplace() const;
    void ac_EditCleanUpExecute();
    void ac_EditUpdate();
    void ac_EditSourceBesideExecute();
    void ac_EditSourceInsteadExecute();
    void ac_EditDrawToolsExecute();
    // Shows SchemeSource as the two commands ask.
    void ShowSourceAsChosen();
    void ac_FileOpenExecute();
    void ac_FileSaveExecute();
    void ac_FileSaveAsExecute();
    void ac_FileSavePdfExecute();
    void ac_FileSaveSymbolsPdfExecute();

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
    // The file named on the command line: a scheme file opens; any other file is taken for a
    // picture, and the New command starts with it loaded. Throws when it is neither.
    void OpenFromCommandLine(const QString& file);
    void ac_ViewTenLinesExecute();
    void ac_ViewColorCellsExecute();
    void ac_ViewSkeinsExecute();
    void ac_ViewFabricExecute();
    void ac_ViewZoomInExecute();
    void ac_ViewZoomOutExecute();

    // Shows the chart and the legend with View: look, skeins column, zoom, the finished size.
    void ApplyView();
    // The look alone, on the grids as they hold the scheme now: after the scheme's tables were put
    // into them again (an edit, undo, redo), the skeins column and the cells' colours follow.
    void ApplyLook();
    // View's look for the scheme shown: its cloth is the scheme's own; without a scheme, the
    // cloth last chosen in "Ткань…", which a new scheme takes.
    ChartLook ShownLook() const;
    void ZoomBy(int steps);

    // Start-up step and font command: the chart grid takes the face name, style, size and
    // character set of the symbol font.
    void CopySymbolFontToChart();

private:
    using Handler = void (DataModule::*)();

    void CreateImages();
    void CreateActions();
    void CreateViewActions();
    void CreateMainMenu(MainWindow& owner);
    void CreateOpenPictureDialog(MainWindow& owner);
    void FillRecentMenu();
    // `file` was opened or saved: first in the recent list, its folder the dialogs' start.
    void RememberSchemeFile(const std::filesystem::path& file);
    HintedAction* MakeAction(const char* name, const char* caption, const char* hint, int image, Handler execute);
    void RunCommand(QAction& action, Handler execute);

    void LoadSettings();
    void SaveSettings();
    // The values kept after "Dithering": the view's, then the wizard's.
    std::vector<StoredValue> MoreStoredValues() const;
};

extern DataModule* DM;

} // namespace velmora
