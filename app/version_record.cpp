#include "version_record.h"

#include "scheme/cp1251.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

namespace velmora {
namespace {

// The marker that opens the block, kept reversed here so that this reader's own code does not
// carry a copy of it for the scan to find.
constexpr std::string_view kMarkerReversed = "\x01" "DROCER-NOISREV-AROMLEV";

std::string Marker()
{
    return std::string(kMarkerReversed.rbegin(), kMarkerReversed.rend());
}

// A record larger than this is no record of ours.
constexpr std::size_t kMaxRecordSize = 64 * 1024;

// The largest executable the scan reads.
constexpr std::streamoff kMaxFileSize = std::streamoff{1} << 30;

// The zero-terminated text at `pos`, advancing `pos` past its zero; nothing when none ends in time.
std::optional<std::string_view> NextText(std::string_view block, std::size_t& pos)
{
    const std::size_t end = block.find('\0', pos);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view text = block.substr(pos, end - pos);
    pos = end + 1;
    return text;
}

std::optional<VersionRecord> ParseBlock(std::string_view block)
{
    std::size_t pos = 0;
    const auto translation = NextText(block, pos);
    if (!translation || translation->size() != 8)
        return std::nullopt;
    VersionRecord record;
    record.translation = std::string(*translation);
    for (;;) {
        const auto name = NextText(block, pos);
        if (!name)
            return std::nullopt;
        if (name->empty())
            return record;
        const auto value = NextText(block, pos);
        if (!value)
            return std::nullopt;
        record.strings.emplace_back(Utf8ToCp1251(*name), Utf8ToCp1251(*value));
    }
}

} // namespace

std::optional<std::string> VersionRecord::Query(std::string_view path) const
{
    for (const auto& [name, value] : strings)
        if (EqualsIgnoringCase(path, "StringFileInfo\\" + translation + "\\" + name))
            return value;
    return std::nullopt;
}

std::string EncodeVersionRecord(const VersionRecord& record)
{
    std::string block = Marker();
    block += '\0';
    block += record.translation;
    block += '\0';
    for (const auto& [name, value] : record.strings) {
        block += Cp1251ToUtf8(name);
        block += '\0';
        block += Cp1251ToUtf8(value);
        block += '\0';
    }
    block += '\0';
    return block;
}

std::optional<VersionRecord> FindVersionRecord(std::string_view bytes)
{
    const std::string marker = Marker() + '\0';
    const std::boyer_moore_horspool_searcher searcher(marker.begin(), marker.end());
    for (auto at = bytes.begin();;) {
        at = std::search(at, bytes.end(), searcher);
        if (at == bytes.end())
            return std::nullopt;
        const std::size_t start = static_cast<std::size_t>(at - bytes.begin()) + marker.size();
        if (auto record = ParseBlock(bytes.substr(start, kMaxRecordSize)))
            return record;
        ++at;
    }
}

std::optional<VersionRecord> ReadVersionRecord(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return std::nullopt;
    const std::streamoff size = file.tellg();
    if (size <= 0 || size > kMaxFileSize)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), size))
        return std::nullopt;
    return FindVersionRecord(bytes);
}

} // namespace velmora
