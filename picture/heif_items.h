#pragma once

// What decoding the primary image of a HEIF file will take, read from its boxes before libheif
// decodes anything: libheif allocates a coded image as its HEVC stream's sequence parameter set
// says and a grid or overlay as its own data says, whatever size their "ispe" properties declare.

#include "hevc_sps.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace velmora {

// Derived images (grids, overlays, identities, alpha planes) a plan follows at most. A phone's grid
// photo with an alpha plane takes 2 + 2 × 48 steps; 1024 tiles, which the decoder allows at most,
// with their alpha tiles take 2050.
constexpr std::uint64_t kMaxHeifDerivationSteps = 4096;

// The NAL units of all images' data and decoder configurations that a plan reads at most. A still
// picture has a handful, and libde265 takes each unit on its own, so a few bytes of empty units are
// work out of proportion.
constexpr std::uint64_t kMaxHeifNalUnits = 65536;

// One HEVC-coded image item that the primary image is decoded from.
struct HeifCodedImage {
    std::uint64_t item = 0;
    std::uint32_t declaredWidth = 0; // its "ispe" property; 0 when it has none
    std::uint32_t declaredHeight = 0;
    std::uint32_t apertureWidth = 0; // its clean aperture ("clap"); 0 when it has none
    std::uint32_t apertureHeight = 0;
    std::vector<HevcPictureSize> parameterSets; // of every SPS in its "hvcC" boxes and in its data
    std::uint64_t pictures = 0; // the pictures its data codes (slices that start one)
    std::uint64_t nalUnits = 0; // the NAL units of its data
    std::uint64_t decodes = 0;  // how often it is decoded: once for each grid cell or overlay that names it
};

struct HeifDecodingPlan {
    std::vector<HeifCodedImage> images;
    std::uint64_t codedDecodes = 0; // the decodes of all images, the same tile named twice counted twice
    bool derivationCut = false;     // more derived images than kMaxHeifDerivationSteps: not followed further
    std::uint64_t nalUnitsLeft = kMaxHeifNalUnits; // 0: the images' data was not read to its end
    std::vector<std::pair<std::uint64_t, std::uint64_t>> sourcesNoImage; // derived image, the item it names
};

// The images that decoding the primary image decodes: the image itself when it is coded, else
// every image its grid, overlay or identity derivation names, down to coded ones; with each, the
// images that libheif decodes as its alpha plane. Follows every top-level "meta" box.
HeifDecodingPlan PlanHeifDecoding(std::span<const std::uint8_t> file);

// The canvas sizes that the file's grid and overlay images declare in their own data. libheif
// allocates a derived image's canvas as its data declares it, whatever its "ispe" says.
std::vector<std::pair<std::uint64_t, std::uint64_t>> HeifDerivedCanvasSizes(std::span<const std::uint8_t> file);

} // namespace velmora
