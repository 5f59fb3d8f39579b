#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora {

// One thread of the catalogue: its name as the user sees it ("433", "3747", "White", "Ecru",
// "B5200") and its colour value (R + 256·G + 65536·B).
struct TDMC {
    const char* Name;
    std::uint32_t Color;
};

constexpr int kDmcCount = 391;
constexpr int kDmcWhite = 0; // "White": no symbol, its own legend row, empty chart cells

// The catalogue, indexed 0..390. The index is a thread's identity everywhere in the program.
extern const std::array<TDMC, kDmcCount> DMCTable;

// The index of the thread named exactly `name`, or −1.
int FindDmc(std::string_view name);

} // namespace velmora
