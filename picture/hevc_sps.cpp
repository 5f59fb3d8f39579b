#include "hevc_sps.h"

#include <cstddef>
#include <vector>

namespace velmora {
namespace {

constexpr int kSpsNalType = 33;

// Everything up to the conformance window fits in this many payload bytes: 12 bytes of the general
// profile, tier and level, up to 7 sub-layers of 12 bytes more, and 8 Exp-Golomb numbers of at
// most 41 bits as libde265 reads them.
constexpr std::size_t kSpsHeadBytes = 160;

// libde265 refuses an Exp-Golomb number of more than 20 leading zeros.
constexpr int kMaxLeadingZeros = 20;

// A bit reader over the raw payload: 0x000003 loses its 03, which the encoder put in so that no
// start code appears inside the data.
class RbspBits {
public:
    explicit RbspBits(std::span<const std::uint8_t> payload)
    {
        int zeros = 0;
        for (std::size_t i = 0; i < payload.size() && bytes_.size() < kSpsHeadBytes; ++i) {
            const std::uint8_t byte = payload[i];
            if (zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            zeros = byte == 0 ? zeros + 1 : 0;
            bytes_.push_back(byte);
        }
    }

    bool failed() const { return failed_; }

    std::uint32_t bits(int count)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (at_ >= bytes_.size() * 8) {
                failed_ = true;
                return 0;
            }
            value = value << 1 | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1u);
            ++at_;
        }
        return value;
    }

    void skip(std::size_t count) { at_ += count; }

    // ue(v): an unsigned Exp-Golomb number.
    std::uint32_t number()
    {
        int zeros = 0;
        while (bits(1) == 0 && !failed_) {
            if (++zeros > kMaxLeadingZeros) {
                failed_ = true;
                return 0;
            }
        }
        return (std::uint32_t{1} << zeros) - 1 + bits(zeros);
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

// profile_tier_level(1, maxSubLayersMinus1): the general part, then what each sub-layer says
// it repeats.
void SkipProfileTierLevel(RbspBits& in, std::uint32_t maxSubLayersMinus1)
{
    constexpr std::size_t kProfileBits = 88; // space, tier, profile, compatibility and constraint flags
    constexpr std::size_t kLevelBits = 8;
    in.skip(kProfileBits + kLevelBits);
    bool profilePresent[8] = {};
    bool levelPresent[8] = {};
    for (std::uint32_t i = 0; i < maxSubLayersMinus1; ++i) {
        profilePresent[i] = in.bits(1) != 0;
        levelPresent[i] = in.bits(1) != 0;
    }
    if (maxSubLayersMinus1 > 0)
        in.skip(2 * (8 - maxSubLayersMinus1)); // reserved_zero_2bits
    for (std::uint32_t i = 0; i < maxSubLayersMinus1; ++i)
        in.skip((profilePresent[i] ? kProfileBits : 0) + (levelPresent[i] ? kLevelBits : 0));
}

} // namespace

std::optional<HevcPictureSize> ReadHevcSpsPictureSize(std::span<const std::uint8_t> nal)
{
    if (nal.size() < 3 || ((nal[0] >> 1) & 0x3F) != kSpsNalType)
        return std::nullopt;
    RbspBits in(nal.subspan(2));
    in.skip(4); // sps_video_parameter_set_id
    const std::uint32_t maxSubLayersMinus1 = in.bits(3);
    if (maxSubLayersMinus1 > 6)
        return std::nullopt;
    in.skip(1); // sps_temporal_id_nesting_flag
    SkipProfileTierLevel(in, maxSubLayersMinus1);
    in.number(); // sps_seq_parameter_set_id
    const std::uint32_t chromaFormat = in.number();
    if (chromaFormat > 3)
        return std::nullopt;
    const bool separateColourPlanes = chromaFormat == 3 && in.bits(1) != 0;
    HevcPictureSize size;
    size.codedWidth = in.number();
    size.codedHeight = in.number();
    size.shownWidth = size.codedWidth;
    size.shownHeight = size.codedHeight;
    if (in.bits(1) != 0) { // conformance_window_flag
        // The offsets count chroma samples: two luma samples each where chroma is halved.
        const bool subsampled = !separateColourPlanes && (chromaFormat == 1 || chromaFormat == 2);
        const std::uint64_t unitX = subsampled ? 2 : 1;
        const std::uint64_t unitY = !separateColourPlanes && chromaFormat == 1 ? 2 : 1;
        const std::uint64_t left = in.number(), right = in.number(), top = in.number(), bottom = in.number();
        const std::uint64_t cropX = unitX * (left + right);
        const std::uint64_t cropY = unitY * (top + bottom);
        size.shownWidth = cropX < size.codedWidth ? static_cast<std::uint32_t>(size.codedWidth - cropX) : 0;
        size.shownHeight = cropY < size.codedHeight ? static_cast<std::uint32_t>(size.codedHeight - cropY) : 0;
    }
    if (in.failed() || size.codedWidth == 0 || size.codedHeight == 0)
        return std::nullopt;
    return size;
}

} // namespace velmora
