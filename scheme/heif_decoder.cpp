#include "picture_decoders.h"

#include "decoded_pixels.h"

#include <libheif/heif.h>

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
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

struct Libheif {
#define VELMORA_HEIF_POINTER(name) decltype(&::name) name = nullptr;
    VELMORA_HEIF_FUNCTIONS(VELMORA_HEIF_POINTER)
#undef VELMORA_HEIF_POINTER
    std::string failure; // why the library could not be used; empty once it is loaded
};

Libheif OpenLibheif()
{
    Libheif api;
    // Kept loaded for the rest of the run: the codecs it loads in turn are not meant to be unloaded.
    void* library = dlopen("libheif.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        api.failure = reason != nullptr ? reason : "libheif.so.1 cannot be loaded";
        return api;
    }
#define VELMORA_HEIF_RESOLVE(name)                                                                     \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name));                            \
    if (api.name == nullptr && api.failure.empty())                                                    \
        api.failure = "libheif.so.1 has no function " #name;
    VELMORA_HEIF_FUNCTIONS(VELMORA_HEIF_RESOLVE)
#undef VELMORA_HEIF_RESOLVE
    return api;
}

const Libheif& LoadedHeif()
{
    static const Libheif api = OpenLibheif();
    return api;
}

// The library's functions, or a PictureError that says why the HEIF file cannot be read.
const Libheif& Heif()
{
    const Libheif& api = LoadedHeif();
    if (!api.failure.empty())
        throw PictureError("the HEIF file cannot be read: the HEIF library is not available (" + api.failure + ")",
                           PictureFault::Unsupported);
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
// pixels (48 tiles for 12 megapixels); 1024 tiles hold a picture of 268 megapixels.
constexpr std::uint64_t kMaxGridTiles = 1024;

// The boxes of an ISO base media file, walked with every size checked against its parent's end.
class BoxReader {
public:
    explicit BoxReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t u(std::size_t at, int size) const
    {
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | (at + static_cast<std::size_t>(i) < bytes_.size() ? bytes_[at + static_cast<std::size_t>(i)] : 0);
        return value;
    }

    // Calls visit(type, payloadBegin, payloadEnd) for each box between begin and end.
    template <typename Visit>
    void boxes(std::size_t begin, std::size_t end, Visit visit) const
    {
        end = std::min(end, bytes_.size());
        std::size_t at = begin;
        while (end - at >= 8) {
            std::uint64_t size = u(at, 4);
            std::size_t header = 8;
            if (size == 1) {
                if (end - at < 16)
                    return;
                size = u(at + 8, 8);
                header = 16;
            } else if (size == 0) {
                size = end - at; // to the end of the parent
            }
            if (size < header || size > end - at)
                return;
            const std::uint32_t type = static_cast<std::uint32_t>(u(at + 4, 4));
            visit(type, at + header, at + static_cast<std::size_t>(size));
            at += static_cast<std::size_t>(size);
        }
    }

private:
    std::span<const std::uint8_t> bytes_;
};

constexpr std::uint32_t FourCc(const char (&name)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[3]));
}

struct BoxRange {
    std::size_t begin = 0; // the payload, after the box's header
    std::size_t end = 0;
};

// Calls visit(children) with the range of the child boxes of each top-level "meta" box.
template <typename Visit>
void ForEachMetaBox(const BoxReader& reader, std::size_t fileSize, Visit visit)
{
    reader.boxes(0, fileSize, [&](std::uint32_t type, std::size_t begin, std::size_t end) {
        if (type == FourCc("meta") && end - begin >= 4)
            visit(BoxRange{begin + 4, end}); // after version and flags
    });
}

// The first child box of `type` in `parent`, as libheif takes it.
std::optional<BoxRange> FindChild(const BoxReader& reader, BoxRange parent, std::uint32_t type)
{
    std::optional<BoxRange> found;
    reader.boxes(parent.begin, parent.end, [&](std::uint32_t child, std::size_t from, std::size_t to) {
        if (child == type && !found)
            found = BoxRange{from, to};
    });
    return found;
}

// How many images the primary image is derived from (the tiles of a grid): the references of
// type "dimg" from the item that "pitm" names, in the "iref" box of the top-level "meta" box.
std::uint64_t CountDerivationTiles(std::span<const std::uint8_t> file)
{
    const BoxReader reader(file);
    std::uint64_t tiles = 0;
    ForEachMetaBox(reader, file.size(), [&](BoxRange meta) {
        const std::optional<BoxRange> pitm = FindChild(reader, meta, FourCc("pitm"));
        const std::optional<BoxRange> iref = FindChild(reader, meta, FourCc("iref"));
        if (!pitm || !iref || iref->end - iref->begin < 4)
            return;
        const std::uint64_t primary = reader.u(pitm->begin + 4, reader.u(pitm->begin, 1) == 0 ? 2 : 4);
        const int idSize = reader.u(iref->begin, 1) == 0 ? 2 : 4;
        reader.boxes(iref->begin + 4, iref->end, [&](std::uint32_t reference, std::size_t at, std::size_t) {
            if (reference == FourCc("dimg") && reader.u(at, idSize) == primary)
                tiles += reader.u(at + static_cast<std::size_t>(idSize), 2);
        });
    });
    return tiles;
}

// The items of type "grid" or "iovl" that "iinf" lists, by item number.
std::unordered_map<std::uint64_t, std::uint32_t> DerivedItemTypes(const BoxReader& reader, BoxRange iinf)
{
    std::unordered_map<std::uint64_t, std::uint32_t> derived;
    if (iinf.end - iinf.begin < 4)
        return derived;
    const std::size_t entries = iinf.begin + 4 + (reader.u(iinf.begin, 1) == 0 ? 2 : 4);
    reader.boxes(entries, iinf.end, [&](std::uint32_t entry, std::size_t at, std::size_t) {
        const std::uint64_t version = reader.u(at, 1);
        if (entry != FourCc("infe") || version < 2)
            return;
        const int idSize = version == 2 ? 2 : 4;
        const std::uint64_t id = reader.u(at + 4, idSize);
        const auto itemType = static_cast<std::uint32_t>(reader.u(at + 4 + static_cast<std::size_t>(idSize) + 2, 4));
        if (itemType == FourCc("grid") || itemType == FourCc("iovl"))
            derived[id] = itemType;
    });
    return derived;
}

// Calls visit(item, method, start) for each item that "iloc" places: the construction method
// (0: in the file, 1: in "idat") and where its first extent starts, relative to the file or to
// "idat"'s payload.
template <typename Visit>
void ForEachItemStart(const BoxReader& reader, BoxRange iloc, Visit visit)
{
    if (iloc.end - iloc.begin < 8)
        return;
    const std::uint64_t version = reader.u(iloc.begin, 1);
    const int offsetSize = static_cast<int>(reader.u(iloc.begin + 4, 1) >> 4);
    const int lengthSize = static_cast<int>(reader.u(iloc.begin + 4, 1) & 15);
    const int baseSize = static_cast<int>(reader.u(iloc.begin + 5, 1) >> 4);
    const int indexSize = version >= 1 ? static_cast<int>(reader.u(iloc.begin + 5, 1) & 15) : 0;
    const int countSize = version < 2 ? 2 : 4;
    std::size_t at = iloc.begin + 6;
    const std::uint64_t items = reader.u(at, countSize);
    at += static_cast<std::size_t>(countSize);
    for (std::uint64_t i = 0; i < items && at < iloc.end; ++i) {
        const std::uint64_t id = reader.u(at, countSize);
        at += static_cast<std::size_t>(countSize);
        const std::uint64_t method = version >= 1 ? reader.u(at, 2) & 15 : 0;
        at += version >= 1 ? 2 : 0;
        at += 2; // data reference index
        const std::uint64_t base = reader.u(at, baseSize);
        at += static_cast<std::size_t>(baseSize);
        const std::uint64_t extents = reader.u(at, 2);
        at += 2;
        std::uint64_t firstOffset = 0;
        for (std::uint64_t e = 0; e < extents && at < iloc.end; ++e) {
            at += static_cast<std::size_t>(indexSize);
            if (e == 0)
                firstOffset = reader.u(at, offsetSize);
            at += static_cast<std::size_t>(offsetSize + lengthSize);
        }
        visit(id, method, base + firstOffset);
    }
}

// The canvas sizes that the file's grid and overlay images declare in their own data. libheif
// allocates a derived image's canvas as its data declares it, whatever size the image's "ispe"
// property (which the image handle reports) gives; each is weighed before decoding.
std::vector<std::pair<std::uint64_t, std::uint64_t>> DerivedCanvasSizes(std::span<const std::uint8_t> file)
{
    const BoxReader reader(file);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> sizes;
    ForEachMetaBox(reader, file.size(), [&](BoxRange meta) {
        const std::optional<BoxRange> iinf = FindChild(reader, meta, FourCc("iinf"));
        const std::optional<BoxRange> iloc = FindChild(reader, meta, FourCc("iloc"));
        if (!iinf || !iloc)
            return;
        const auto derived = DerivedItemTypes(reader, *iinf);
        if (derived.empty())
            return;
        const BoxRange idat = FindChild(reader, meta, FourCc("idat")).value_or(BoxRange{});
        ForEachItemStart(reader, *iloc, [&](std::uint64_t id, std::uint64_t method, std::uint64_t start) {
            const auto found = derived.find(id);
            if (found == derived.end() || method > 1)
                return;
            // The descriptor lies at the start of the item's first extent.
            const std::uint64_t from = (method == 1 ? idat.begin : 0) + start;
            if (from >= (method == 1 ? idat.end : file.size()))
                return;
            const auto d = static_cast<std::size_t>(from);
            std::size_t sizeAt = d + 4; // version, flags, rows - 1, columns - 1
            if (found->second == FourCc("iovl"))
                sizeAt = d + 2 + 8; // version, flags, the fill colour's four samples
            const int sideSize = (reader.u(d + 1, 1) & 1) != 0 ? 4 : 2;
            sizes.emplace_back(reader.u(sizeAt, sideSize), reader.u(sizeAt + static_cast<std::size_t>(sideSize), sideSize));
        });
    });
    return sizes;
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

    for (const auto& [width, height] : DerivedCanvasSizes(file))
        decoded::CheckDeclaredPicture("HEIF", static_cast<std::int64_t>(width), static_cast<std::int64_t>(height), 16,
                                      file.size());
    if (const std::uint64_t tiles = CountDerivationTiles(file); tiles > kMaxGridTiles)
        throw PictureError("the HEIF picture is a grid of " + std::to_string(tiles) + " tiles (at most " +
                               std::to_string(kMaxGridTiles) + " are read)",
                           PictureFault::TooLarge);

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
