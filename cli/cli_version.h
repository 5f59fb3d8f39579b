#pragma once

#include <string>

namespace velmora::cli {

// "velmora-cli 2.1 (2.1.3.11)": the product and file versions of the version record that this
// program carries, the same record the window's About box shows.
std::string VersionText();

} // namespace velmora::cli
