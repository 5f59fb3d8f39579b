#pragma once

namespace velmora {

// A look at the window with a scheme in it, without the wizard: when VELMORA_DEMO_PICTURE names a
// picture, builds a scheme of it into fm_Main (VELMORA_DEMO_SIZE "WxH" in stitches, else the
// picture's size held to 10..1000; VELMORA_DEMO_COLORS, else 30; dithering when VELMORA_DEMO_DITHER
// is 1, the perceptual build when VELMORA_DEMO_PERCEPTUAL is 1). When VELMORA_DEMO_SCREENSHOTS
// names a folder, it then saves a picture of each page (and of the chart scrolled to its middle)
// there as PNG files and ends the program. VELMORA_DEMO_SCHEME names a scheme file to open instead
// of a picture to build; VELMORA_DEMO_ZOOM the chart's zoom in per cent. Throws what loading and
// building throw.
//
// When VELMORA_DEMO_TOUR names a folder instead, it takes the scheme-file commands round and saves
// a picture of the whole screen at each stop there: the File menu, the save dialog, the question
// about the unsaved scheme, the open dialog, the error box of a damaged file, the PDF dialog, the
// title once saved, "Последние схемы" and the progress of a chart PDF, which it then cancels.
// Then it ends the program. Run it under `xvfb-run -a`.
void ShowDemoSchemeFromEnvironment();

} // namespace velmora
