#pragma once

namespace velmora {

// Pictures of the new-scheme wizard's pages, for a look at their layout: when
// VELMORA_DEMO_WIZARD_SCREENSHOTS names a folder, walks the wizard with its own buttons and saves
// wizard-0-hello.png, wizard-1-picture-empty.png, wizard-1-picture-loaded.png (the picture of
// VELMORA_DEMO_PICTURE), wizard-2-params.png (dithering on), wizard-2-params-perceptual.png
// ("Точные цвета" on too), wizard-3-symbols.png and wizard-4-finish.png there. False when the variable is not set. Throws when the picture cannot be
// loaded or a picture cannot be saved. Needs the main window (the wizard takes the data module's
// picture and symbol font); run it under `xvfb-run -a`.
bool SaveWizardScreenshotsFromEnvironment();

} // namespace velmora
