#include "picture_decoders.h"

#include "decoded_pixels.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Reader {
    std::span<const std::uint8_t> file;
    std::uint64_t at = 0;
    std::string firstError; // libtiff's first complaint, which names the fault best
};

tmsize_t ReadBytes(thandle_t handle, void* out, tmsize_t wanted)
{
    auto& reader = *static_cast<Reader*>(handle);
    if (wanted <= 0 || reader.at >= reader.file.size())
        return 0;
    const std::size_t count = std::min<std::uint64_t>(static_cast<std::uint64_t>(wanted), reader.file.size() - reader.at);
    std::memcpy(out, reader.file.data() + reader.at, count);
    reader.at += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t WriteNothing(thandle_t, void*, tmsize_t) { return 0; }

toff_t Seek(thandle_t handle, toff_t offset, int whence)
{
    auto& reader = *static_cast<Reader*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = reader.at;
    else if (whence == SEEK_END)
        base = reader.file.size();
    // Past the end is allowed, as for a file; reads there find nothing.
    reader.at = base + offset;
    return reader.at;
}

int CloseNothing(thandle_t) { return 0; }

toff_t Size(thandle_t handle) { return static_cast<Reader*>(handle)->file.size(); }

int MapNothing(thandle_t, void**, toff_t*) { return 0; }
void UnmapNothing(thandle_t, void*, toff_t) {}

int KeepError(TIFF*, void* data, const char* module, const char* format, va_list args)
{
    auto& reader = *static_cast<Reader*>(data);
    if (reader.firstError.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        reader.firstError = (module != nullptr && *module != '\0' ? std::string(module) + ": " : std::string()) + text;
    }
    return 1; // handled: libtiff's default handler would print to stderr
}

// Warnings report what libtiff works around (unknown tags and the like); the core prints nothing.
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// libtiff's words when an allocation would pass the limit set in the open options.
constexpr const char* kOverLimit = "byte limit defined in open options";

[[noreturn]] void Refuse(const Reader& reader, const char* what)
{
    const PictureFault fault =
        reader.firstError.find(kOverLimit) != std::string::npos ? PictureFault::TooLarge : PictureFault::Damaged;
    throw PictureError(std::string("the TIFF file ") + what +
                           (reader.firstError.empty() ? std::string() : " (" + reader.firstError + ")"),
                       fault);
}

} // namespace

Bitmap DecodeTiff(std::span<const std::uint8_t> file)
{
    Reader reader{file, 0, {}};
    const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options)
        throw std::bad_alloc();
    // No single allocation of libtiff's own (directory arrays, strip and tile buffers) may exceed
    // what the file pays for: a header declaring a billion tiles then fails at its offset array.
    const std::uint64_t allowance = kFreePictureMemory + kPictureMemoryPerCodedByte * file.size();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(
                                                           std::min<std::uint64_t>(allowance, std::uint64_t{1} << 31)));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepError, &reader);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreWarning, &reader);

    // "m": no memory mapping, the bytes are already in memory.
    const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("TIFF", "rm", &reader, ReadBytes, WriteNothing, Seek,
                                                                   CloseNothing, Size, MapNothing, UnmapNothing,
                                                                   options.get()));
    if (!tiff)
        Refuse(reader, "is damaged");

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height))
        Refuse(reader, "is damaged: it does not declare its picture's size");
    // The RGBA raster libtiff paints into, besides the result; its strip or tile buffer is bounded
    // by the allowance above.
    decoded::CheckDeclaredPicture("TIFF", width, height, 4, file.size());

    char why[1024] = {};
    if (!TIFFRGBAImageOK(tiff.get(), why))
        throw PictureError(std::string("the TIFF picture is of a kind that cannot be shown: ") + why,
                           PictureFault::Unsupported);

    std::vector<std::uint32_t> raster(std::size_t{width} * height);
    // Stop at the first damaged strip or tile rather than show a picture with holes.
    if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1))
        Refuse(reader, "is damaged or cut short");

    Bitmap picture(static_cast<int>(width), static_cast<int>(height));
    picture.setSourceBitsPerPixel(24);
    const std::uint32_t* in = raster.data();
    for (int y = 0; y < picture.height(); ++y)
        for (Color& pixel : picture.row(y)) {
            // libtiff gives A·B·G·R bytes with the colours premultiplied by alpha.
            const std::uint32_t p = *in++;
            const int alpha = static_cast<int>(TIFFGetA(p));
            pixel = MakeColor(decoded::PremultipliedOnWhite(static_cast<int>(TIFFGetR(p)), alpha),
                              decoded::PremultipliedOnWhite(static_cast<int>(TIFFGetG(p)), alpha),
                              decoded::PremultipliedOnWhite(static_cast<int>(TIFFGetB(p)), alpha));
        }
    return picture;
}

} // namespace velmora
