#pragma once

#include <string>

namespace velmora::cli {

// Writes `text` to standard output: 0, or 1 with a message when it cannot be written (a full disk,
// a closed pipe).
int PrintText(const std::string& text);

} // namespace velmora::cli
