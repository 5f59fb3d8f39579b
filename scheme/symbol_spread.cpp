#include "symbol_spread.h"

namespace velmora {

std::vector<std::uint8_t> DefaultSymbolCodes(int colorCount)
{
    std::vector<std::uint8_t> codes(static_cast<std::size_t>(colorCount > 0 ? colorCount : 0));
    if (codes.empty())
        return codes;
    codes[0] = kFirstSymbolCode;
    for (int k = 2; k <= colorCount; ++k) {
        const int candidateRow = k * kSymbolCandidateCount / colorCount; // 1..208
        codes[static_cast<std::size_t>(k - 1)] = static_cast<std::uint8_t>(kFirstSymbolCode - 1 + candidateRow);
    }
    return codes;
}

std::vector<std::string> DefaultSymbolTexts(int colorCount)
{
    std::vector<std::string> texts;
    for (const std::uint8_t code : DefaultSymbolCodes(colorCount))
        texts.emplace_back(1, static_cast<char>(code));
    return texts;
}

} // namespace velmora
