#pragma once

#include <string_view>

namespace velmora {

// A stored Boolean as the settings keep it: "True" or "False" in any letter case, or a decimal
// number, whole or not (0 is false, any other number true). Any other text throws
// std::invalid_argument naming the text.
bool StoredTextToBoolean(std::string_view text);

} // namespace velmora
