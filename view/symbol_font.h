#pragma once

#include "view/grid_model.h"

#include <string>

namespace velmora {

enum class FontPitch { Default, Variable, Fixed };

// The symbol font of the application as plain data: what the font dialog holds, what the settings
// keep, and what everything that draws symbols reads. Size and Height describe the same thing
// (Height is minus the character height in pixels at 96 dots per inch); the program draws by
// Size and keeps Height only for the settings.
struct SymbolFont {
    std::string Name = "Wingdings"; // Windows-1251
    FontStyle Style;
    int Size = 6;
    int Height = -8;
    int Charset = kSymbolCharset;
    ColorValue Color = clWindowText;
    FontPitch Pitch = FontPitch::Default;

    friend bool operator==(const SymbolFont&, const SymbolFont&) = default;
};

// The font as the grids draw with it (pitch and height are the settings' business).
GridFont ToGridFont(const SymbolFont& font);

} // namespace velmora
