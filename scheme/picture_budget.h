#pragma once

#include <cstdint>

namespace velmora {

// How much memory a compressed picture may make us take, measured against the bytes that code it.
// Run-length bitmaps and JPEG can declare a picture of 16384 × 16384 pixels (1 GiB decoded) in a
// few dozen bytes, so the picture limits alone would let a tiny file cost a gigabyte and seconds
// of filling. A picture whose decoding needs up to 64 MiB (16 megapixels) loads whatever its
// size; beyond that every byte of coded data may account for 192 bytes of working memory, which
// is 48 pixels of the decoded picture. Real pictures stay inside that: photographs code 2 to 8
// pixels a byte, and a posterised 48-megapixel cartoon, about the flattest content worth a chart,
// 33 (cjpeg) to 45 (cjpeg -optimize) a byte, or 68 with arithmetic coding, which the free 64 MiB
// still covers. A file under 1 MB thus never needs more than 256 MiB.
constexpr std::uint64_t kFreePictureMemory = std::uint64_t{64} << 20;
constexpr std::uint64_t kPictureMemoryPerCodedByte = 192;

constexpr bool CodedDataSuffices(std::uint64_t memoryNeeded, std::uint64_t codedBytes)
{
    return memoryNeeded <= kFreePictureMemory ||
           (memoryNeeded - kFreePictureMemory) / kPictureMemoryPerCodedByte <= codedBytes;
}

} // namespace velmora
