#pragma once

#include "view/grid_model.h"

#include <bitset>
#include <string_view>

namespace velmora {

// Symbol fonts keep the glyph of byte b at U+F000 + b.
inline constexpr char32_t kSymbolAreaBase = 0xF000;

// The bytes b for which an installed face draws its own glyph at U+F000 + b. Empty for a face that
// is missing, and for the stand-in for Wingdings that the program brings along: no other program
// (a spreadsheet, say) sees that one.
using SymbolAreaGlyphs = std::bitset<256>;

// The Unicode character that stands for Wingdings code `code`: its equivalent, and for 127 and 255,
// which have none, two stand-ins that no other code uses; 0 for the codes below 33.
char32_t WingdingsEquivalent(unsigned char code);

// Whether `name` is the face Wingdings (letter case aside).
bool IsWingdingsFace(std::string_view name);

// The character that shows byte `code` of a cell text drawn in `font`, the same on screen, on
// paper and in the workbook:
//  1. in the symbol character set, where the installed face has its own glyph: U+F000 + b;
//  2. otherwise, in the face Wingdings: the Unicode equivalent of b;
//  3. otherwise the Windows-1251 character of b.
char32_t SymbolCharacter(const GridFont& font, const SymbolAreaGlyphs& installed, unsigned char code);

} // namespace velmora
