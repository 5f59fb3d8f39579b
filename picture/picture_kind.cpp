#include "picture_kind.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace velmora {
namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view signature, std::size_t at = 0)
{
    return bytes.size() >= at + signature.size() &&
           std::equal(signature.begin(), signature.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// The brands an ISO base media file names in its "ftyp" box when it holds HEIF still pictures:
// HEVC-coded ones as phones save them, and the brands of the image-file structure itself.
constexpr std::array<std::string_view, 8> kHeifBrands = {"heic", "heix", "heim", "heis",
                                                         "hevc", "hevx", "mif1", "msf1"};

} // namespace

PictureKind SniffPictureKind(std::span<const std::uint8_t> start)
{
    using namespace std::string_view_literals;
    if (StartsWith(start, "BM"))
        return PictureKind::Bmp;
    if (StartsWith(start, "\xFF\xD8"))
        return PictureKind::Jpeg;
    if (StartsWith(start, "\x89PNG\r\n\x1A\n"sv))
        return PictureKind::Png;
    if (StartsWith(start, "RIFF") && StartsWith(start, "WEBP", 8))
        return PictureKind::Webp;
    if (StartsWith(start, "GIF87a") || StartsWith(start, "GIF89a"))
        return PictureKind::Gif;
    // Classic TIFF and BigTIFF, in either byte order.
    if (StartsWith(start, "II*\0"sv) || StartsWith(start, "MM\0*"sv) || StartsWith(start, "II+\0"sv) ||
        StartsWith(start, "MM\0+"sv))
        return PictureKind::Tiff;
    if (StartsWith(start, "ftyp", 4) &&
        std::ranges::any_of(kHeifBrands, [&](std::string_view brand) { return StartsWith(start, brand, 8); }))
        return PictureKind::Heif;
    return PictureKind::Unknown;
}

const char* PictureKindName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bmp:
        return "Windows bitmap";
    case PictureKind::Jpeg:
        return "JPEG";
    case PictureKind::Png:
        return "PNG";
    case PictureKind::Webp:
        return "WebP";
    case PictureKind::Gif:
        return "GIF";
    case PictureKind::Tiff:
        return "TIFF";
    case PictureKind::Heif:
        return "HEIF";
    case PictureKind::Unknown:
        break;
    }
    return "unknown";
}

} // namespace velmora
