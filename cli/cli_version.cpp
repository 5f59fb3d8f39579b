#include "cli_version.h"

#include "app/version_record.h"

#include <cstddef>
#include <string_view>

namespace velmora {
// Generated from app/version_record_data.cpp.in.
extern const char kVersionRecordBlock[];
extern const std::size_t kVersionRecordBlockSize;
} // namespace velmora

namespace velmora::cli {

std::string VersionText()
{
    std::string text = "velmora-cli";
    const auto record = FindVersionRecord(std::string_view(kVersionRecordBlock, kVersionRecordBlockSize));
    if (!record)
        return text;
    const auto query = [&record](const char* name) {
        return record->Query(std::string("StringFileInfo\\041904E3\\") + name);
    };
    if (const auto product = query("ProductVersion"))
        text += " " + *product;
    if (const auto file = query("FileVersion"))
        text += " (" + *file + ")";
    return text;
}

} // namespace velmora::cli
