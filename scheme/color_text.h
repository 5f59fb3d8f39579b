#pragma once

#include "picture/color.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace velmora {

// A colour as the legend and the catalogue table write it: the decimal number of the whole text,
// 0..0xFFFFFF. Anything else (empty, signs, other characters, a larger number) is no colour.
inline std::optional<Color> ColorFromText(std::string_view text)
{
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || value > kWhite)
        return std::nullopt;
    return static_cast<Color>(value);
}

} // namespace velmora
