#include "view/symbol_text.h"

#include "scheme/cp1251.h"

#include <algorithm>
#include <array>

namespace velmora {

namespace {

constexpr std::array<char32_t, 256> kWingdingsEquivalents = {
#include "wingdings_table.inc"
};

} // namespace

char32_t WingdingsEquivalent(unsigned char code) { return kWingdingsEquivalents[code]; }

bool IsWingdingsFace(std::string_view name)
{
    constexpr std::string_view kWingdings = "wingdings";
    return std::ranges::equal(name, kWingdings, [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

char32_t SymbolCharacter(const GridFont& font, const SymbolAreaGlyphs& installed, unsigned char code)
{
    if (font.charset == kSymbolCharset && installed[code])
        return kSymbolAreaBase + code;
    if (IsWingdingsFace(font.name)) {
        if (const char32_t equivalent = WingdingsEquivalent(code); equivalent != 0)
            return equivalent;
    }
    return Cp1251ToUnicode(code);
}

} // namespace velmora
