#include "symbol_font.h"

namespace velmora {

GridFont ToGridFont(const SymbolFont& font)
{
    GridFont result;
    result.name = font.Name;
    result.style = font.Style;
    result.size = font.Size;
    result.charset = font.Charset;
    result.color = font.Color;
    return result;
}

} // namespace velmora
