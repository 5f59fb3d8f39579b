#pragma once

#include <cstdint>

namespace velmora {

// How much memory a compressed picture may make us take, measured against the bytes that code it.
// Run-length bitmaps and JPEG can declare a picture of 16384 × 16384 pixels (1 GiB decoded) in a
// few dozen bytes, so the picture limits alone would let a tiny file cost a gigabyte and seconds
// of filling. A picture whose decoding needs up to 64 MiB (16 megapixels) loads whatever its
// size; beyond that every byte of the file may account for 64 bytes of working memory, which is
// 16 pixels of the decoded picture. Photographs code 2 to 8 pixels a byte, so any of them loads;
// what is refused is flat artwork of more than 16 megapixels (a posterised 48-megapixel cartoon
// codes 33 to 68 pixels a byte), which a chart of at most 1000 × 1000 stitches cannot use anyway.
// A file under 1 MB thus never makes a decoder take more than 128 MiB, and building a chart from
// it stays under 300 MB.
constexpr std::uint64_t kFreePictureMemory = std::uint64_t{64} << 20;
constexpr std::uint64_t kPictureMemoryPerCodedByte = 64;

constexpr bool CodedDataSuffices(std::uint64_t memoryNeeded, std::uint64_t codedBytes)
{
    return memoryNeeded <= kFreePictureMemory ||
           (memoryNeeded - kFreePictureMemory) / kPictureMemoryPerCodedByte <= codedBytes;
}

} // namespace velmora
