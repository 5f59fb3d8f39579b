#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// The candidate symbols of the wizard are the character codes 48..255, one per list row.
constexpr int kFirstSymbolCode = 48;
constexpr int kSymbolCandidateCount = 208;

// The symbols first offered for colours 1..colorCount (2..100): spread evenly over the
// candidates, so that neighbouring colours get visibly different glyphs. The first colour always
// gets code 48 and the last code 255; colour k gets code 47 + k·208 div N.
std::vector<std::uint8_t> DefaultSymbolCodes(int colorCount);

// The same symbols as the one-byte texts a scheme build takes.
std::vector<std::string> DefaultSymbolTexts(int colorCount);

} // namespace velmora
