#include "new_scheme_command.h"

#include "data_module.h"
#include "main_window.h"
#include "view/symbol_font.h"
#include "wizard/new_scheme_wizard.h"

#include <QCheckBox>
#include <QLineEdit>

#include <memory>
#include <utility>

namespace velmora {

namespace {

WizardShow& InstalledShow()
{
    static WizardShow show;
    return show;
}

int ShowWizard(NewSchemeWizard& wizard)
{
    if (const WizardShow& show = InstalledShow())
        return show(wizard);
    return wizard.exec();
}

// Copies the wizard's dithering and perceptual boxes into the data module when the scope ends, by
// any way.
class TakeColourChoices {
public:
    TakeColourChoices(DataModule& dm, const NewSchemeWizard& wizard) : dm_(dm), wizard_(wizard) {}
    ~TakeColourChoices()
    {
        dm_.Dithering = wizard_.cb_Dithering->isChecked();
        dm_.Wizard.perceptual = wizard_.cb_Perceptual->isChecked();
    }
    TakeColourChoices(const TakeColourChoices&) = delete;
    TakeColourChoices& operator=(const TakeColourChoices&) = delete;

private:
    DataModule& dm_;
    const NewSchemeWizard& wizard_;
};

} // namespace

WizardShow InstallWizardShow(WizardShow show) { return std::exchange(InstalledShow(), std::move(show)); }

void RunNewSchemeCommand(DataModule& dm, MainWindow& main, const QString& picture)
{
    dm.PictureLoaded = false;
    const auto wizard = std::make_unique<NewSchemeWizard>(
        &main, WizardServices{.SourcePicture = dm.SourcePicture,
                              .PictureLoaded = dm.PictureLoaded,
                              .SymbolFont = ToGridFont(dm.FontDialog.Font),
                              .OpenPictureDialog = dm.OpenPictureDialog});
    wizard->cb_Dithering->setChecked(dm.Dithering);
    wizard->cb_Perceptual->setChecked(dm.Wizard.perceptual);
    if (!picture.isEmpty()) {
        // The picture goes in by the wizard's own way of loading one, as if chosen in its dialog.
        auto choose = std::exchange(wizard->ChoosePictureFile, [picture] { return std::optional<QString>(picture); });
        wizard->sb_OpenFileClick();
        wizard->ChoosePictureFile = std::move(choose);
    }

    // Declared after the wizard, so it reads the boxes before the wizard goes.
    const TakeColourChoices takeChoices(dm, *wizard);
    if (ShowWizard(*wizard) != QDialog::Accepted)
        return;
    // The build reads the choice too.
    dm.Dithering = wizard->cb_Dithering->isChecked();
    // The engine builds new tables; only a finished build replaces the views and sets SchemeReady.
    main.BuildScheme(wizard->Request());
    dm.Session->Scheme.pictureName = wizard->ed_FileName->text().toStdString();
    dm.Session->SchemeFileName.clear();
    dm.Session->MarkSchemeModified();
}

} // namespace velmora
