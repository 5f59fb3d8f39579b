#pragma once

#include <cstdint>

namespace velmora {

// A 24-bit colour as the whole program stores it: R + 256·G + 65536·B, red in the low byte.
// Compared as numbers, colours order by blue, then green, then red.
using Color = std::uint32_t;

constexpr int Red(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int Green(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Blue(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr Color MakeColor(int r, int g, int b)
{
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

} // namespace velmora
