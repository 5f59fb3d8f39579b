#pragma once

#include "action.h"
#include "font_dialog.h"
#include "scheme_session.h"
#include "settings_store.h"
#include "picture/bitmap.h"
#include "scheme/dmc_inc.h"
#include "scheme/scheme_builder.h"

#include <QIcon>
#include <QObject>

#include <array>
#include <functional>
#include <string>

class QFileDialog;
class QMenu;
class QMenuBar;

namespace velmora {

class MainWindow;

// The data module: the commands, the main menu, the images, the two common dialogs, the settings
// and the state of the run. The scheme shown and its commands are Session's; the module wires the
// actions to them. One instance, `DM`, owned by the main window; reachable from the moment
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
    bool Dithering = false;

    // The scheme shown, its file, its edits and the commands on it.
    SchemeSession* Session = nullptr;

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
    void ac_EditUpdate();
    void ac_EditSourceBesideExecute();
    void ac_EditSourceInsteadExecute();
    void ac_EditDrawToolsExecute();
    // Shows SchemeSource as the two commands ask.
    void ShowSourceAsChosen();
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
    using SessionCommand = void (SchemeSession::*)();

    void CreateImages();
    void CreateActions();
    void CreateViewActions();
    void CreateMainMenu(MainWindow& owner);
    void CreateOpenPictureDialog(MainWindow& owner);
    void FillRecentMenu();
    HintedAction* MakeAction(const char* name, const char* caption, const char* hint, int image, Handler execute);
    HintedAction* MakeAction(const char* name, const char* caption, const char* hint, int image,
                             SessionCommand execute);
    HintedAction* MakeAction(const char* name, const char* caption, const char* hint, int image,
                             std::function<void()> execute);
    void RunCommand(QAction& action, const std::function<void()>& execute);

    void LoadSettings();
    void SaveSettings();
    // The values kept after "Dithering": the view's, then the wizard's.
    std::vector<StoredValue> MoreStoredValues() const;
};

extern DataModule* DM;

} // namespace velmora
