#pragma once

#include <QString>

#include <functional>

namespace velmora {

class DataModule;
class MainWindow;
class NewSchemeWizard;

// How the New command shows the wizard: modally, giving back its result (QDialog::Accepted for
// OK). Tests put in their own, which drives the wizard as a user would and closes it.
using WizardShow = std::function<int(NewSchemeWizard& wizard)>;

// Installs `show` (empty: the modal showing again) and returns the one it replaces.
WizardShow InstallWizardShow(WizardShow show);

// The New command: runs a new wizard over the main window and, when it is confirmed, builds the
// scheme into the window's views under the hourglass. The dithering and perceptual choices are
// taken from the wizard however it closes. A failed build throws and leaves the previous scheme in
// the views. A new scheme is unsaved. With `picture`, the wizard starts with that picture loaded,
// as if the user had chosen it.
void RunNewSchemeCommand(DataModule& dm, MainWindow& main, const QString& picture = {});

} // namespace velmora
