#include "workbook_text.h"

#include "scheme/cp1251.h"

#include <charconv>

namespace velmora {

namespace {

void AppendUtf8(std::string& utf8, char32_t c)
{
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0u | (c >> 6));
        utf8 += static_cast<char>(0x80u | (c & 0x3Fu));
    } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0u | (c >> 12));
        utf8 += static_cast<char>(0x80u | ((c >> 6) & 0x3Fu));
        utf8 += static_cast<char>(0x80u | (c & 0x3Fu));
    } else {
        utf8 += static_cast<char>(0xF0u | (c >> 18));
        utf8 += static_cast<char>(0x80u | ((c >> 12) & 0x3Fu));
        utf8 += static_cast<char>(0x80u | ((c >> 6) & 0x3Fu));
        utf8 += static_cast<char>(0x80u | (c & 0x3Fu));
    }
}

} // namespace

std::string WorkbookText(std::string_view cp1251) { return Cp1251ToUtf8(cp1251); }

std::string WorkbookSymbolText(std::string_view cp1251, const GridFont& font, const SymbolAreaGlyphs& installed)
{
    std::string utf8;
    utf8.reserve(cp1251.size() * 4);
    for (const char ch : cp1251)
        AppendUtf8(utf8, SymbolCharacter(font, installed, static_cast<unsigned char>(ch)));
    return utf8;
}

std::optional<double> WholeNumberOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    // Nine digits at most: every such number is exact and no text turns into a huge value.
    const std::size_t digits = text.size() - (text.starts_with('-') ? 1 : 0);
    if (digits == 0 || digits > 9 || text.find_first_not_of("-0123456789") != std::string_view::npos)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace velmora
