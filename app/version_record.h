#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// The executable's version record: a string table under one translation ("041904E3": Russian,
// code page 1251), embedded in the program at build time as a marked block of bytes and found
// again by scanning the executable file. Texts are Windows-1251.
struct VersionRecord {
    std::string translation;
    std::vector<std::pair<std::string, std::string>> strings;

    // The text of an entry by its path "StringFileInfo\<translation>\<name>", names compared
    // without regard to letter case; nothing when there is no such entry.
    std::optional<std::string> Query(std::string_view path) const;
};

// The block as it lies in an executable: a marker, the translation, then name and value pairs in
// UTF-8, each text closed by a zero byte, and an empty name at the end. The texts of `record` hold
// no zero byte.
std::string EncodeVersionRecord(const VersionRecord& record);

// The first well-formed record in `bytes`, or nothing.
std::optional<VersionRecord> FindVersionRecord(std::string_view bytes);

// The record of the executable file at `path`; nothing when it has none or cannot be read.
std::optional<VersionRecord> ReadVersionRecord(const std::filesystem::path& path);

} // namespace velmora
