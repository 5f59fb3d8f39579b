#pragma once

// Reading and writing whole files the way the tests and benchmarks need it; the product reads
// pictures through LoadPicture and writes through OutputFile.
#include "tests/read_file.h"

#include "picture/bitmap.h"
#include "picture/bmp_codec.h"
#include "files/output_file.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The whole content of a file. Throws std::runtime_error when it cannot be opened.
inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    if (!std::ifstream(path, std::ios::binary))
        throw std::runtime_error("cannot read " + path.string());
    const std::string bytes = ReadFileText(path);
    return {bytes.begin(), bytes.end()};
}

// Writes `bitmap` as a 24-bit bitmap file, whole or not at all.
inline void WriteBmpFile(const std::filesystem::path& path, const Bitmap& bitmap)
{
    const std::vector<std::uint8_t> bytes = EncodeBmp24(bitmap);
    WriteFileWhole(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace velmora
