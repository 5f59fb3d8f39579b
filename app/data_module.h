#pragma once

#include "action.h"
#include "font_dialog.h"
#include "settings_store.h"
#include "scheme/bitmap.h"
#include "scheme/dmc_inc.h"
#include "scheme/scheme_builder.h"

#include <QIcon>
#include <QObject>

#include <array>
#include <string>

class QFileDialog;
class QMenu;
class QMenuBar;

namespace velmora {

class Tfm_Main;

// The data module: the commands, the main menu, the images, the two common dialogs, the settings
// and the state of the run. One instance, `DM`, owned by the main window; reachable from the moment
// its construction begins until it is destroyed with the window.
class TDM : public QObject {
    Q_OBJECT
public:
    // Images by index, as the commands and the menu refer to them.
    enum ImageIndex { imgNew, imgOptions, imgPrint, imgAbout, imgExit, imgExcel, imgDMC, kImageCount };

    explicit TDM(Tfm_Main* owner);
    ~TDM() override;

    std::array<QIcon, kImageCount> ImageList;

    TAction* ac_FileNew = nullptr;
    TAction* ac_FilePrint = nullptr;
    TAction* ac_FilePrintSymbols = nullptr;
    TAction* ac_FileExit = nullptr;
    TAction* ac_ServiceExcel = nullptr;
    TAction* ac_ServiceDMC = nullptr;
    TAction* ac_ServiceOptions = nullptr;
    TAction* ac_HelpAbout = nullptr;
    // The view: the chart's look and the cloth (kept in the settings), the zoom of the chart.
    TAction* ac_ViewTenLines = nullptr;
    TAction* ac_ViewColorCells = nullptr;
    TAction* ac_ViewSkeins = nullptr;
    TAction* ac_ViewFabric = nullptr;
    TAction* ac_ViewZoomIn = nullptr;
    TAction* ac_ViewZoomOut = nullptr;

    // The menu bar belongs to the main window as a widget; the data module builds it and keeps the
    // top items. Its items are the commands themselves.
    QMenuBar* MainMenu = nullptr;
    QMenu* mi_File = nullptr;
    QMenu* mi_Service = nullptr;
    QMenu* mi_View = nullptr;
    QMenu* mi_Help = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;

    // The wizard's picture dialog; a child of the main window, as a dialog must be.
    QFileDialog* OpenPictureDialog = nullptr;
    TFontDialog FontDialog;

    // The settings store with its location and its one stored value, the text of "Dithering".
    // It keeps the settings in the registry installed for the program (InstallSettingsRegistry),
    // or else nowhere: it starts empty and what it saves is forgotten.
    DiscardingSettingsRegistry PrivateSettings;
    TFormStorage JvFormStorage{InstalledSettingsRegistry() ? *InstalledSettingsRegistry() : PrivateSettings};
    std::string SettingsKey;
    std::string SettingsSection;
    std::string StoredDithering = "True";
    // The chart's look, the cloth, the zoom and the window's placement, kept after "Dithering".
    ViewSettings View;

    SchemeEngine Engine;
    // The scheme builder's thread bookkeeping, one entry per catalogue thread.
    std::array<int, kDmcCount>& DMCUsed = Engine.DMCUsed;
    Bitmap SourcePicture;
    bool PictureLoaded = false;
    bool SchemeReady = false;
    bool Dithering = false;

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
    void ac_ViewTenLinesExecute();
    void ac_ViewColorCellsExecute();
    void ac_ViewSkeinsExecute();
    void ac_ViewFabricExecute();
    void ac_ViewZoomInExecute();
    void ac_ViewZoomOutExecute();

    // Shows the chart and the legend with View: look, skeins column, zoom, the finished size.
    void ApplyView();
    void ZoomBy(int steps);

    // Start-up step and font command: the chart grid takes the face name, style, size and
    // character set of the symbol font.
    void CopySymbolFontToChart();

private:
    using Handler = void (TDM::*)();

    void CreateImages();
    void CreateActions();
    void CreateViewActions();
    void CreateMainMenu(Tfm_Main& owner);
    void CreateOpenPictureDialog(Tfm_Main& owner);
    TAction* MakeAction(const char* name, const char* category, const char* caption, const char* hint,
                        int image, Handler execute);
    void RunCommand(QAction& action, Handler execute);

    void LoadSettings();
    void SaveSettings();
};

extern TDM* DM;

} // namespace velmora
