#pragma once

#include "picture/bitmap.h"
#include "scheme/scheme_builder.h"
#include "view/grid_model.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace velmora {

class SchemeGrid;
class CountSpinBox;

// What the wizard uses of the data module. The picture and the flag belong to the module and
// outlive the wizard.
struct WizardServices {
    Bitmap& SourcePicture;
    bool& PictureLoaded;
    GridFont SymbolFont;
    // The module's picture-open dialog; without one, ChoosePictureFile must be set.
    QFileDialog* OpenPictureDialog = nullptr;
};

// The new-scheme wizard: five pages shown one at a time, Back and Next between them, OK on the
// last, Cancel on any. Created for one run; the command reads the outputs (Request()) after it has
// closed with OK and then destroys it.
class NewSchemeWizard : public QDialog {
    Q_OBJECT
public:
    enum PageIndex { piHello, piSourcePicture, piParams, piSymbols, piFinish, kPageCount };

    NewSchemeWizard(QWidget* owner, WizardServices services);
    ~NewSchemeWizard() override;

    QStackedWidget* pc_Wizard = nullptr;
    QWidget* ts_Hello = nullptr;
    QWidget* ts_SourcePicture = nullptr;
    QWidget* ts_Params = nullptr;
    QWidget* ts_Symbols = nullptr;
    QWidget* ts_Finish = nullptr;

    QFrame* pn_Buttons = nullptr;
    QPushButton* bb_Cancel = nullptr;
    QPushButton* bn_Prev = nullptr;
    QPushButton* bn_Next = nullptr;
    QPushButton* bb_OK = nullptr;
    QAction* ac_Prev = nullptr;
    QAction* ac_Next = nullptr;
    QAction* ac_OK = nullptr;

    QLineEdit* ed_FileName = nullptr;
    QToolButton* sb_OpenFile = nullptr;
    // Under the file name: why the last picture chosen could not be loaded (the one loaded before,
    // if any, stays); empty otherwise.
    QLabel* lb_PictureFault = nullptr;

    CountSpinBox* ud_Width = nullptr;
    CountSpinBox* ud_Height = nullptr;
    CountSpinBox* ud_Colors = nullptr;
    QLineEdit* ed_Width = nullptr;
    QLineEdit* ed_Height = nullptr;
    QLineEdit* ed_Colors = nullptr;
    QCheckBox* cb_Proportional = nullptr;
    QCheckBox* cb_Dithering = nullptr;
    // Threads chosen as the eye sees colours (SchemeRequest::perceptual); beside the dithering box.
    QCheckBox* cb_Perceptual = nullptr;

    SchemeGrid* AllSymbolsGrid = nullptr;
    SchemeGrid* ChosenSymbolsGrid = nullptr;
    QPushButton* bn_Select = nullptr;
    QToolButton* sb_Up = nullptr;
    QToolButton* sb_Down = nullptr;

    // Set until the chosen symbol list has been filled on the first entry into its page.
    bool SymbolsPending = false;

    // The step that asks for the picture file: the full path, or nothing when the user cancelled.
    // At first it runs the data module's dialog; tests put their own answer here.
    std::function<std::optional<QString>()> ChoosePictureFile;
    // Shows a warning with an OK button; at first a message box with the warning icon.
    std::function<void(const QString& caption, const QString& text)> ShowWarning;

    int ActivePageIndex() const;
    // Re-evaluates the enabled state of the three actions; also runs whenever the application
    // goes idle.
    void UpdateActions();
    // What the build takes from the wizard: the three numbers, the dithering and perceptual boxes
    // and the symbols of colours 1 .. the colour count.
    SchemeRequest Request() const;

    void ac_PrevExecute();
    void ac_NextExecute();
    void sb_OpenFileClick();
    void ud_WidthChangingEx(int newValue);
    void ud_HeightChangingEx(int newValue);
    void bn_SelectClick();
    void sb_UpClick();
    void sb_DownClick();

private:
    void CreateControls();
    QWidget* CreatePage(const char* name, const char* heading);
    void CreateHelloPage();
    void CreateSourcePicturePage();
    void CreateParamsPage();
    void CreateSymbolsPage();
    void CreateFinishPage();
    void CreateButtons(QWidget* client);
    void FormCreate();
    void ShowPage(int index);
    void EnterSymbolsPage();
    void RefusePicture(const QString& reason);

    WizardServices services_;
};

} // namespace velmora
