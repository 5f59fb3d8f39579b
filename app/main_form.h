#pragma once

#include "scheme/scheme_builder.h"

#include <QMainWindow>

class QFrame;
class QLabel;
class QScrollArea;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace velmora {

class TAdvStringGrid;

// The main window: the toolbar, the three views of the scheme on tab pages, the status bar. Its
// menu and its commands belong to the data module `DM`, which it creates and owns. One instance,
// `fm_Main`, published before its construction begins.
class Tfm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfm_Main(QWidget* parent = nullptr);
    ~Tfm_Main() override;

    QToolBar* ToolBar = nullptr;
    QToolButton* tb_FileNew = nullptr;
    QWidget* tb_Sep1 = nullptr;
    QToolButton* tb_ServiceExcel = nullptr;
    QWidget* ToolButton5 = nullptr;
    QToolButton* tb_HelpAbout = nullptr;
    QToolButton* tb_FileExit = nullptr;

    QTabWidget* PageControl = nullptr;
    QWidget* ts_Picture = nullptr;
    QScrollArea* sb_Picture = nullptr;
    QLabel* im_Picture = nullptr;
    QWidget* ts_Image = nullptr;
    QFrame* pn_Image = nullptr;
    TAdvStringGrid* asg_Image = nullptr;
    QWidget* ts_Symbols = nullptr;
    QFrame* pn_Symbols = nullptr;
    TAdvStringGrid* asg_Symbols = nullptr;
    // On the status bar's right: the scheme's finished size on the chosen cloth and the zoom.
    QLabel* lb_FinishedSize = nullptr;

    // Builds a scheme of DM->SourcePicture with the hourglass cursor and shows it. Throws what the
    // build throws; the views and the commands then stay as they were.
    void BuildScheme(const SchemeRequest& request);
    // Puts a built scheme into the three views and marks the scheme ready. The page shown stays.
    void ShowScheme(SchemeDocument document);
    // Writes the finished size of the scheme shown, on DM's cloth, and the chart's zoom.
    void ShowFinishedSize();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateToolBar();
    QWidget* CreatePicturePage();
    QWidget* CreateGridPage(const char* name, QFrame*& panel, const char* panelName, TAdvStringGrid*& grid,
                            const char* gridName);
    void FormCreate();
    void BindToolBar();
    void FormCloseQuery(bool& canClose);
};

extern Tfm_Main* fm_Main;

} // namespace velmora
