#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora {

// Calls visit(code, rest) for each marker segment of a JPEG stream that starts with its start
// marker, walking them as libjpeg does: segments by their length, the entropy-coded data after a
// scan header up to the first marker that is not a restart marker, stuffed FF 00 and fill bytes
// FF FF skipped, bytes between segments skipped, and nothing after the end marker. `rest` runs
// from after the segment's length field to the end of the stream (a damaged segment may claim
// less than its fields need).
template <typename Visit>
void ForEachJpegSegment(std::span<const std::uint8_t> stream, Visit visit)
{
    constexpr std::uint8_t kSos = 0xDA;
    constexpr std::uint8_t kEoi = 0xD9;
    const auto standalone = [](std::uint8_t code) { return code == 0x01 || (code >= 0xD0 && code <= 0xD8); };
    const std::size_t n = stream.size();
    std::size_t at = 2; // after the start marker
    while (at < n) {
        if (stream[at] != 0xFF) { // bytes that belong to no segment; libjpeg skips them too
            ++at;
            continue;
        }
        while (at < n && stream[at] == 0xFF)
            ++at;
        if (at >= n)
            break;
        const std::uint8_t code = stream[at++];
        if (code == kEoi)
            break;
        if (code == 0x00 || standalone(code))
            continue;
        if (n - at < 2)
            break;
        const std::size_t segmentEnd = at + (std::size_t{stream[at]} << 8 | stream[at + 1]);
        visit(code, stream.subspan(at + 2));
        at = std::min(segmentEnd, n);
        if (code != kSos)
            continue;
        // Entropy-coded data: stop at the FF of the first real marker.
        while (at < n) {
            at = static_cast<std::size_t>(std::find(stream.begin() + static_cast<std::ptrdiff_t>(at), stream.end(), 0xFF) -
                                          stream.begin());
            std::size_t next = at + 1;
            while (next < n && stream[next] == 0xFF)
                ++next;
            if (next >= n || (stream[next] != 0x00 && !(stream[next] >= 0xD0 && stream[next] <= 0xD7)))
                break;
            at = next + 1;
        }
    }
}

} // namespace velmora
