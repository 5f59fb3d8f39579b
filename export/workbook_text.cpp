#include "workbook_text.h"

#include "scheme/cp1251.h"

#include <charconv>

namespace velmora {

std::string WorkbookText(std::string_view cp1251, bool symbolFont)
{
    if (!symbolFont)
        return Cp1251ToUtf8(cp1251);
    std::string utf8;
    utf8.reserve(cp1251.size() * 3);
    for (const char ch : cp1251) {
        const unsigned code = 0xF000u + static_cast<unsigned char>(ch);
        utf8 += static_cast<char>(0xE0u | (code >> 12));
        utf8 += static_cast<char>(0x80u | ((code >> 6) & 0x3Fu));
        utf8 += static_cast<char>(0x80u | (code & 0x3Fu));
    }
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
