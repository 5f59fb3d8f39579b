#include "wizard_screenshots.h"

#include "app/data_module.h"
#include "view/qt/scheme_grid.h"
#include "view/symbol_font.h"
#include "wizard/new_scheme_wizard.h"

#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace velmora {
namespace {

// Lets the wizard lay out and paint what the last click changed.
void Settle()
{
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
}

void Save(NewSchemeWizard& wizard, const QString& folder, const char* name)
{
    Settle();
    const QString file = QDir(folder).filePath(QLatin1String(name));
    if (!wizard.grab().save(file))
        throw std::runtime_error("cannot save " + file.toStdString());
}

// Walks forward with Next as far as `page`; the picture page lets the wizard on only with a picture.
void GoTo(NewSchemeWizard& wizard, int page)
{
    while (wizard.ActivePageIndex() < page && wizard.bn_Next->isEnabled())
        wizard.bn_Next->click();
    if (wizard.ActivePageIndex() != page)
        throw std::runtime_error("the wizard stopped before page " + std::to_string(page));
}

} // namespace

bool SaveWizardScreenshotsFromEnvironment()
{
    const QString folder = qEnvironmentVariable("VELMORA_DEMO_WIZARD_SCREENSHOTS");
    if (folder.isEmpty())
        return false;
    const QString picture = qEnvironmentVariable("VELMORA_DEMO_PICTURE");
    if (picture.isEmpty())
        throw std::invalid_argument("VELMORA_DEMO_WIZARD_SCREENSHOTS needs a picture in VELMORA_DEMO_PICTURE");
    QDir().mkpath(folder);

    NewSchemeWizard wizard(nullptr, WizardServices{.SourcePicture = DM->SourcePicture,
                                              .PictureLoaded = DM->PictureLoaded,
                                              .SymbolFont = ToGridFont(DM->FontDialog.Font)});
    wizard.ChoosePictureFile = [&picture] { return std::optional<QString>(picture); };
    wizard.show();

    Save(wizard, folder, "wizard-0-hello.png");
    GoTo(wizard, NewSchemeWizard::piSourcePicture);
    Save(wizard, folder, "wizard-1-picture-empty.png");
    wizard.sb_OpenFile->click();
    if (!DM->PictureLoaded)
        throw std::runtime_error("cannot load " + picture.toStdString());
    Save(wizard, folder, "wizard-1-picture-loaded.png");
    GoTo(wizard, NewSchemeWizard::piParams);
    wizard.cb_Dithering->setChecked(true);
    Save(wizard, folder, "wizard-2-params.png");
    wizard.cb_Perceptual->setChecked(true);
    Save(wizard, folder, "wizard-2-params-perceptual.png");
    GoTo(wizard, NewSchemeWizard::piSymbols);
    wizard.ChosenSymbolsGrid->setFocus();
    Save(wizard, folder, "wizard-3-symbols.png");
    GoTo(wizard, NewSchemeWizard::piFinish);
    Save(wizard, folder, "wizard-4-finish.png");
    std::fprintf(stderr, "wizard screenshots saved in %s\n", qPrintable(folder));
    return true;
}

} // namespace velmora
