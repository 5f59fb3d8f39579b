#include "picture_decoders.h"

#include "decoded_pixels.h"
#include "decoder_library.h"
#include "heif_items.h"

#include <libheif/heif.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

// libheif is opened the first time a HEIF file is decoded, not linked: with it come its HEVC and
// AV1 codecs, and loading those alone costs every run of the programs about 5 MB of memory.
#define VELMORA_HEIF_FUNCTIONS(F)                                                                      \
    F(heif_context_alloc)                                                                              \
    F(heif_context_free)                                                                               \
    F(heif_context_set_maximum_image_size_limit)                                                       \
    F(heif_context_read_from_memory_without_copy)                                                      \
    F(heif_context_get_primary_image_handle)                                                           \
    F(heif_image_handle_release)                                                                       \
    F(heif_image_handle_get_width)                                                                     \
    F(heif_image_handle_get_height)                                                                    \
    F(heif_image_handle_has_alpha_channel)                                                             \
    F(heif_image_handle_is_premultiplied_alpha)                                                        \
    F(heif_decoding_options_alloc)                                                                     \
    F(heif_decoding_options_free)                                                                      \
    F(heif_decode_image)                                                                               \
    F(heif_image_release)                                                                              \
    F(heif_image_get_width)                                                                            \
    F(heif_image_get_height)                                                                           \
    F(heif_image_get_plane_readonly)

VELMORA_DECODER_LIBRARY(Libheif, LoadedHeif, VELMORA_HEIF_FUNCTIONS, "HEIF", "libheif.so.1")

// The library's functions, or a PictureError that says why the HEIF file cannot be read.
const Libheif& Heif()
{
    const Libheif& api = LoadedHeif();
    api.library.CheckAvailable();
    return api;
}

struct ContextDeleter {
    void operator()(heif_context* context) const { LoadedHeif().heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(const heif_image_handle* handle) const { LoadedHeif().heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(const heif_image* image) const { LoadedHeif().heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { LoadedHeif().heif_decoding_options_free(options); }
};

// libheif decodes every tile of a grid on its own, at a cost of about half a millisecond a tile
// besides its pixels, and a grid may name up to 65536 tiles, each as small as 8 × 8 pixels: a
// file within the pixel budget could still cost half a minute. Phones tile a photo in 512 × 512
// pixels (48 tiles for 12 megapixels); 1024 tiles hold a picture of 268 megapixels. Every decode
// counts: a tile that a grid names twice, and the tiles of an alpha plane.
constexpr std::uint64_t kMaxGridTiles = 1024;

// Whether the decoder's picture can be the image its boxes declare: the coded picture may be larger
// than the declared one by what its conformance window crops (encoders code whole blocks), and a
// writer may have declared the picture as its clean aperture crops it; never smaller.
bool CroppingExplains(const HeifCodedImage& image, const HevcPictureSize& coded)
{
    const auto explains = [](std::uint32_t declared, std::uint32_t codedSide, std::uint32_t shown, std::uint32_t aperture) {
        const std::uint32_t smallest = aperture != 0 ? std::min(shown, aperture) : shown;
        return declared >= smallest && declared <= codedSide;
    };
    return explains(image.declaredWidth, coded.codedWidth, coded.shownWidth, image.apertureWidth) &&
           explains(image.declaredHeight, coded.codedHeight, coded.shownHeight, image.apertureHeight);
}

std::string SizeText(std::uint64_t width, std::uint64_t height)
{
    return std::to_string(width) + " × " + std::to_string(height);
}

// Weighs what libde265 will decode before libheif asks it to. libheif takes an image's size from
// its "ispe" property, but the decoder allocates and decodes the picture its sequence parameter set
// codes, and only then is it cropped: a few kilobytes that declare 16 × 16 pixels can code
// 8192 × 8192. So each image counts at the larger of the two sizes, once for every time it is
// decoded (every grid cell that names it, every picture its data holds), and all of them together
// must be paid for by the file as one picture is.
void WeighCodedImages(const HeifDecodingPlan& plan, std::uint64_t fileBytes)
{
    if (plan.derivationCut)
        throw PictureError("the HEIF picture is derived from more than " + std::to_string(kMaxHeifDerivationSteps) +
                               " images",
                           PictureFault::TooLarge);
    if (!plan.sourcesNoImage.empty())
        throw PictureError("the HEIF file is damaged: its image " + std::to_string(plan.sourcesNoImage.front().first) +
                           " is derived from item " + std::to_string(plan.sourcesNoImage.front().second) +
                           ", which is no image");
    if (plan.codedDecodes > kMaxGridTiles)
        throw PictureError("the HEIF picture is a grid of " + std::to_string(plan.codedDecodes) + " tiles (at most " +
                               std::to_string(kMaxGridTiles) + " are read)",
                           PictureFault::TooLarge);
    std::uint64_t nalUnits = 0;
    for (const HeifCodedImage& image : plan.images)
        nalUnits += image.decodes * image.nalUnits; // at most 1024 × 65536
    if (plan.nalUnitsLeft == 0 || nalUnits > kMaxHeifNalUnits)
        throw PictureError("the HEIF picture's HEVC data is split into more than " + std::to_string(kMaxHeifNalUnits) +
                               " units",
                           PictureFault::TooLarge);

    std::uint64_t pixels = 0;
    std::uint64_t pictures = 0;
    for (const HeifCodedImage& image : plan.images) {
        const std::string item = "its image " + std::to_string(image.item);
        if (image.parameterSets.empty())
            throw PictureError("the HEIF file is damaged: " + item + " has no HEVC sequence parameter set");
        std::uint64_t width = image.declaredWidth;
        std::uint64_t height = image.declaredHeight;
        for (const HevcPictureSize& coded : image.parameterSets) {
            if (image.declaredWidth != 0 && !CroppingExplains(image, coded))
                throw PictureError("the HEIF file is damaged: " + item + " is declared as " +
                                   SizeText(image.declaredWidth, image.declaredHeight) + " pixels but its HEVC data codes " +
                                   SizeText(coded.codedWidth, coded.codedHeight));
            width = std::max<std::uint64_t>(width, coded.codedWidth);
            height = std::max<std::uint64_t>(height, coded.codedHeight);
        }
        decoded::CheckDeclaredPicture("HEIF", static_cast<std::int64_t>(width), static_cast<std::int64_t>(height), 16,
                                      fileBytes);
        // Within the picture limits (2^28 pixels), decoded at most 1024 times, with at most 65536
        // pictures: the sum stays below 2^54.
        const std::uint64_t times = image.decodes * std::max<std::uint64_t>(image.pictures, 1);
        pixels += times * width * height;
        pictures += times;
    }
    const std::uint64_t memory = pixels * (4 + 16);
    if (pictures > 1 && !CodedDataSuffices(memory, fileBytes))
        throw PictureError("the HEIF file is too short for the " + std::to_string(pictures) +
                               " pictures it decodes (" + std::to_string(pixels) + " pixels; " +
                               std::to_string(fileBytes) + " bytes for " + std::to_string(memory >> 20) +
                               " MiB of decoding)",
                           PictureFault::TooLarge);
}

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
    const Libheif& heif = Heif();
    const std::unique_ptr<heif_context, ContextDeleter> context(heif.heif_context_alloc());
    if (!context)
        throw std::bad_alloc();
    // libheif refuses pictures (a grid of tiles included) wider or taller than this before it
    // allocates them.
    heif.heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
    Check(heif.heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr));

    heif_image_handle* rawHandle = nullptr;
    Check(heif.heif_context_get_primary_image_handle(context.get(), &rawHandle));
    const std::unique_ptr<const heif_image_handle, HandleDeleter> handle(rawHandle);

    // Turning the picture swaps its sides but keeps its pixels. Besides the result: the decoder's
    // planes (up to 16 bits a sample), the interleaved RGBA, and a grid's assembled picture.
    decoded::CheckDeclaredPicture("HEIF", heif.heif_image_handle_get_width(handle.get()),
                                  heif.heif_image_handle_get_height(handle.get()), 16, file.size());

    for (const auto& [width, height] : HeifDerivedCanvasSizes(file))
        decoded::CheckDeclaredPicture("HEIF", static_cast<std::int64_t>(width), static_cast<std::int64_t>(height), 16,
                                      file.size());
    WeighCodedImages(PlanHeifDecoding(file), file.size());

    const bool alpha = heif.heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const bool premultiplied = alpha && heif.heif_image_handle_is_premultiplied_alpha(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif.heif_decoding_options_alloc());
    if (!options)
        throw std::bad_alloc();
    options->ignore_transformations = 0; // turned and mirrored as the file says
    options->convert_hdr_to_8bit = 1;
    options->strict_decoding = 1;        // a damaged file is refused, not patched up

    heif_image* rawImage = nullptr;
    Check(heif.heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
    const std::unique_ptr<const heif_image, ImageDeleter> image(rawImage);

    const int width = heif.heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif.heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane = heif.heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
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
