#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace velmora {

// A file's bytes as a string; empty when it cannot be read.
inline std::string ReadFileText(const std::filesystem::path& path)
{
    // Through a string stream: GCC 12 warns of a null dereference inside istreambuf_iterator.
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace velmora
