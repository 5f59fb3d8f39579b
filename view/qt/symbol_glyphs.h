#pragma once

#include "view/grid_model.h"

#include <QFont>
#include <QString>

#include <string_view>

namespace velmora {

// A cell text turned into what the painter draws: the font to use and the Unicode text.
struct GlyphRun {
    QFont font;
    QString text;
};

// Texts of the program are Windows-1251; this is how they reach the screen.
QString Cp1251ToQString(std::string_view text);

// The font as the painter takes it: face, style and the pixel height at 96 dpi.
QFont ToQFont(const GridFont& font);

// The Unicode character that stands for Wingdings code `code`, or 0 when the code has none.
char32_t WingdingsToUnicode(unsigned char code);

// The stand-in drawn for the Wingdings codes that have no Unicode equivalent (127 and 255).
inline constexpr char32_t kNoEquivalentGlyph = U'\u229E';

// How `text` in `font` is drawn: a symbol-charset face that is installed with glyphs at U+F000 + b
// draws those; "Wingdings" otherwise draws the Unicode equivalents in Symbola; any other face
// draws the Windows-1251 characters. The choice is made by the text's first byte.
GlyphRun ShapeText(const GridFont& font, std::string_view text);

} // namespace velmora
