#include "picture_decoders.h"

#include "decoded_pixels.h"

#include <spng.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

// A chunk of metadata (text, colour profile, …) larger than this, or more of them together once
// inflated, is refused: compressed text can inflate a thousandfold, and none of it is used.
constexpr std::size_t kMaxChunkBytes = std::size_t{8} << 20;
constexpr std::size_t kMaxChunkCacheBytes = std::size_t{16} << 20;

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

[[noreturn]] void Refuse(int error)
{
    // libspng's own words: "IHDR invalid", "chunk CRC mismatch", "unexpected end of file"…
    const PictureFault fault = error == SPNG_EUSER_WIDTH ||
                                       error == SPNG_EUSER_HEIGHT || error == SPNG_EOVERFLOW ||
                                       error == SPNG_ECHUNK_LIMITS || error == SPNG_EMEM
                                   ? PictureFault::TooLarge
                                   : PictureFault::Damaged;
    throw PictureError(std::string("the PNG file is damaged: ") + spng_strerror(error), fault);
}

void Check(int error)
{
    if (error != 0)
        Refuse(error);
}

} // namespace

Bitmap DecodePng(std::span<const std::uint8_t> file)
{
    const std::unique_ptr<spng_ctx, ContextDeleter> ctx(spng_ctx_new(0));
    if (!ctx)
        throw std::bad_alloc();
    spng_ctx* png = ctx.get();
    Check(spng_set_image_limits(png, kMaxPictureSide, kMaxPictureSide));
    Check(spng_set_chunk_limits(png, kMaxChunkBytes, kMaxChunkCacheBytes));
    // A bad checksum in a chunk the picture needs refuses the file; one in metadata drops that
    // chunk, as the picture does not depend on it.
    Check(spng_set_crc_action(png, SPNG_CRC_ERROR, SPNG_CRC_DISCARD));
    Check(spng_set_png_buffer(png, file.data(), file.size()));

    spng_ihdr header{};
    Check(spng_get_ihdr(png, &header));
    const bool deep = header.bit_depth == 16;
    // 8-bit RGB without a transparent colour, the common photo and screenshot, comes as it is
    // stored: libspng's conversion to RGBA would cost a tenth of the decoding.
    spng_trns transparency{};
    const bool plainRgb = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && header.bit_depth == 8 &&
                          spng_get_trns(png, &transparency) == SPNG_ECHUNKAVAIL;
    const int format = deep ? SPNG_FMT_RGBA16 : plainRgb ? SPNG_FMT_RGB8 : SPNG_FMT_RGBA8;
    const std::uint64_t bytesPerPixel = deep ? 8 : plainRgb ? 3 : 4;
    decoded::CheckDeclaredPicture("PNG", header.width, header.height, bytesPerPixel, file.size());

    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    Bitmap picture(width, height);
    picture.setSourceBitsPerPixel(24);
    const auto storeRow = [&](int y, const std::uint8_t* in) {
        const std::span<Color> row = picture.row(y);
        if (plainRgb) {
            for (Color& pixel : row) {
                pixel = MakeColor(in[0], in[1], in[2]);
                in += 3;
            }
        } else if (deep) {
            for (Color& pixel : row) {
                std::uint16_t s[4];
                std::memcpy(s, in, sizeof s); // host byte order, as libspng gives RGBA16
                pixel = MakeColor(decoded::OnWhite16(s[0], s[3]), decoded::OnWhite16(s[1], s[3]),
                                  decoded::OnWhite16(s[2], s[3]));
                in += 8;
            }
        } else {
            for (Color& pixel : row) {
                // Most pictures are opaque throughout: no blending to do.
                pixel = in[3] == 255 ? MakeColor(in[0], in[1], in[2]) : decoded::OnWhite(in[0], in[1], in[2], in[3]);
                in += 4;
            }
        }
    };

    // Gamma is left alone, so that the same pixels give the same colours in every kind of file.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    if (header.interlace_method == SPNG_INTERLACE_NONE) {
        // Row by row into the picture: no second copy of it in memory.
        Check(spng_decode_image(png, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE));
        std::vector<std::uint8_t> row(rowBytes);
        for (int y = 0; y < height; ++y) {
            const int result = spng_decode_row(png, row.data(), row.size());
            if (result != 0 && !(result == SPNG_EOI && y == height - 1))
                Refuse(result);
            storeRow(y, row.data());
        }
    } else {
        // The passes of an interlaced picture each cover the whole of it: libspng puts them together.
        std::size_t size = 0;
        Check(spng_decoded_image_size(png, format, &size));
        std::vector<std::uint8_t> rgba(size);
        Check(spng_decode_image(png, rgba.data(), rgba.size(), format, SPNG_DECODE_TRNS));
        for (int y = 0; y < height; ++y)
            storeRow(y, rgba.data() + static_cast<std::size_t>(y) * rowBytes);
    }
    // libspng stops once it has the picture's rows; asking for a chunk that may follow them makes
    // it read on to the end, checking the rest of the picture data's checksum on the way.
    spng_time time{};
    if (const int rest = spng_get_time(png, &time); rest != 0 && rest != SPNG_ECHUNKAVAIL)
        Refuse(rest);
    return picture;
}

} // namespace velmora
