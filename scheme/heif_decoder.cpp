#include "picture_decoders.h"

#include "decoded_pixels.h"

#include <libheif/heif.h>

#include <climits>
#include <memory>
#include <string>

namespace velmora {
namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(const heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(const heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

void Check(const heif_error& error)
{
    if (error.code == heif_error_Ok)
        return;
    PictureFault fault = PictureFault::Damaged;
    if (error.code == heif_error_Memory_allocation_error || error.subcode == heif_suberror_Security_limit_exceeded)
        fault = PictureFault::TooLarge;
    else if (error.code == heif_error_Unsupported_feature || error.code == heif_error_Unsupported_filetype)
        fault = PictureFault::Unsupported;
    // libheif's words: "Invalid input: No 'ftyp' box", "Security limit exceeded: …"
    throw PictureError(std::string("the HEIF file cannot be read: ") +
                           (error.message != nullptr ? error.message : "unknown error"),
                       fault);
}

} // namespace

Bitmap DecodeHeif(std::span<const std::uint8_t> file)
{
    if (file.size() > static_cast<std::size_t>(INT_MAX))
        throw PictureError("the HEIF file is too large", PictureFault::TooLarge);
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        throw std::bad_alloc();
    // libheif refuses pictures (a grid of tiles included) wider or taller than this before it
    // allocates them.
    heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
    Check(heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr));

    heif_image_handle* rawHandle = nullptr;
    Check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
    const std::unique_ptr<const heif_image_handle, HandleDeleter> handle(rawHandle);

    // Turning the picture swaps its sides but keeps its pixels. Besides the result: the decoder's
    // planes (up to 16 bits a sample), the interleaved RGBA, and a grid's assembled picture.
    decoded::CheckDeclaredPicture("HEIF", heif_image_handle_get_width(handle.get()),
                                  heif_image_handle_get_height(handle.get()), 16, file.size());

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options)
        throw std::bad_alloc();
    options->ignore_transformations = 0; // turned and mirrored as the file says
    options->convert_hdr_to_8bit = 1;
    options->strict_decoding = 1;        // a damaged file is refused, not patched up

    heif_image* rawImage = nullptr;
    Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
    const std::unique_ptr<const heif_image, ImageDeleter> image(rawImage);

    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (plane == nullptr || width <= 0 || height <= 0 || stride < (alpha ? 4 : 3) * width)
        throw PictureError("the HEIF file cannot be read: its picture did not decode to 8-bit RGB");

    Bitmap picture(width, height);
    picture.setSourceBitsPerPixel(24);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        for (Color& pixel : picture.row(y)) {
            if (!alpha)
                pixel = MakeColor(in[0], in[1], in[2]);
            else if (premultiplied)
                pixel = MakeColor(decoded::PremultipliedOnWhite(in[0], in[3]),
                                  decoded::PremultipliedOnWhite(in[1], in[3]),
                                  decoded::PremultipliedOnWhite(in[2], in[3]));
            else
                pixel = decoded::OnWhite(in[0], in[1], in[2], in[3]);
            in += alpha ? 4 : 3;
        }
    }
    return picture;
}

} // namespace velmora
