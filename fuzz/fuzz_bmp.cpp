// libFuzzer target for the bitmap reader: any input must give a picture or a PictureError,
// never a crash, a sanitizer report, a hang or a huge allocation.
#include "picture/bmp_codec.h"
#include "picture/bmp_header.h"
#include "picture/picture_error.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// A run-length coded file of a few bytes may claim 16 megapixels (the 64 MiB any compressed
// picture may fill regardless of its size); filling that much memory per input would slow fuzzing
// a hundredfold without reaching new code, so such inputs are skipped. Uncompressed pictures are
// bounded by the input length.
constexpr std::int64_t kMaxFuzzPixels = 4'000'000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    try {
        const velmora::BmpHeader header = velmora::ReadBmpHeader(file, file.size());
        if (std::int64_t{header.width} * header.height > kMaxFuzzPixels)
            return 0;
        const velmora::Bitmap bitmap = velmora::DecodeBmp(file);
        if (bitmap.width() != header.width || bitmap.height() != header.height ||
            bitmap.sourceBitsPerPixel() != header.bitsPerPixel)
            __builtin_trap();
    } catch (const velmora::PictureError&) {
        // A refused file is a good answer.
    }
    return 0;
}
