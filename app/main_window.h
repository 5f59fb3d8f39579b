#pragma once

#include "scheme/scheme_builder.h"
#include "scheme/stitch_edit.h"

#include <QMainWindow>

class QFrame;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace velmora {

class SchemeGrid;

// The main window: the toolbar, the three views of the scheme on tab pages, the status bar. Its
// menu and its commands belong to the data module `DM`, which it creates and owns. One instance,
// `fm_Main`, published before its construction begins.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QToolBar* ToolBar = nullptr;
    QToolButton* tb_FileNew = nullptr;
    QWidget* tb_Sep1 = nullptr;
    QToolButton* tb_ServiceExcel = nullptr;
    QWidget* tb_SepHelp = nullptr;
    QToolButton* tb_HelpAbout = nullptr;
    QToolButton* tb_FileExit = nullptr;

    // The scheme-file commands on a toolbar row of their own under ToolBar, which keeps its
    // buttons and its width.
    QToolBar* FileToolBar = nullptr;
    QToolButton* tb_FileOpen = nullptr;
    QToolButton* tb_FileSave = nullptr;
    QWidget* tb_Sep2 = nullptr;
    QToolButton* tb_FileSavePdf = nullptr;
    QToolButton* tb_FileSaveSymbolsPdf = nullptr;

    QTabWidget* PageControl = nullptr;
    QWidget* ts_Picture = nullptr;
    QScrollArea* sb_Picture = nullptr;
    QLabel* im_Picture = nullptr;
    // The source picture stretched to the chart's size, to compare with the mapped picture;
    // hidden unless asked for.
    QScrollArea* sb_Source = nullptr;
    QLabel* im_Source = nullptr;
    QWidget* ts_Image = nullptr;
    QFrame* pn_Image = nullptr;
    SchemeGrid* ChartGrid = nullptr;
    QWidget* ts_Symbols = nullptr;
    QFrame* pn_Symbols = nullptr;
    SchemeGrid* LegendGrid = nullptr;
    // On the status bar's right: "Точные цвета" while the scheme shown is of the perceptual build
    // (hidden otherwise), the share of single stitches of the scheme shown, then the scheme's
    // finished size on the chosen cloth and the zoom.
    QLabel* lb_Build = nullptr;
    QLabel* lb_SingleStitches = nullptr;
    QLabel* lb_FinishedSize = nullptr;

    // Builds a scheme of DM->SourcePicture with the hourglass cursor and shows it. Throws what the
    // build throws; the views and the commands then stay as they were.
    void BuildScheme(const SchemeRequest& request);
    // Makes `document` the data module's scheme, puts it into the three views and marks the scheme
    // ready. The page shown stays.
    void ShowScheme(SchemeDocument document);
    // Puts the data module's scheme into the three views again, as after a change to it.
    void RefreshScheme();
    // Shows again what an edit of the stitches or the lines changed: the chart grid takes and
    // repaints only the stitches of `edit`, the legend its counts; the mapped picture follows when
    // its page is shown.
    void RefreshStitches(const StitchEdit& edit);

    // How the picture page shows the source picture beside the mapped one.
    enum class SourceView { Hidden, Beside, Instead };
    // Shows DM->Session->SchemeSource as asked; with no source at hand, the mapped picture alone.
    void ShowSource(SourceView view);

    // Writes the finished size of the scheme shown, on DM's cloth, and the chart's zoom.
    void ShowFinishedSize();
    // Says on the status bar which build made the scheme shown: only the perceptual one is named.
    void ShowBuild();

    // The title: the scheme file's name ("Новая схема" before its first save), a "*" while it has
    // unsaved changes, and the program's name; with no scheme, the program's name alone.
    void ShowTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateToolBars();
    QToolBar* CreateToolBar(const char* name);
    QToolButton* AddToolButton(QToolBar& bar, const char* name);
    QWidget* AddToolSeparator(QToolBar& bar, const char* name);
    QWidget* CreatePicturePage();
    void AddPictureView(QHBoxLayout& layout, const char* scrollName, QScrollArea*& scroll, const char* imageName,
                        QLabel*& image);
    QWidget* CreateGridPage(const char* name, QFrame*& panel, const char* panelName, SchemeGrid*& grid,
                            const char* gridName);
    void FormCreate();
    void BindToolBar();
    void FormCloseQuery(bool& canClose);
    void ShowPicture();
    void ShowLegend();

    // The mapped picture lags behind the stitches drawn since its page was last shown.
    bool picturePending_ = false;
};

extern MainWindow* fm_Main;

} // namespace velmora
