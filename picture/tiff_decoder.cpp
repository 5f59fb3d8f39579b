#include "picture_decoders.h"

#include "decoded_pixels.h"
#include "decoder_library.h"
#include "jpeg_markers.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace velmora {
namespace {

// libtiff is opened the first time a TIFF file is decoded, not linked: with it come Lerc, JBIG,
// Zstandard and LZMA, whose loading cost every run of velmora-cli more than its start otherwise.
#define VELMORA_TIFF_FUNCTIONS(F)                                                                      \
    F(TIFFOpenOptionsAlloc)                                                                            \
    F(TIFFOpenOptionsFree)                                                                             \
    F(TIFFOpenOptionsSetMaxSingleMemAlloc)                                                             \
    F(TIFFOpenOptionsSetErrorHandlerExtR)                                                              \
    F(TIFFOpenOptionsSetWarningHandlerExtR)                                                            \
    F(TIFFClientOpenExt)                                                                               \
    F(TIFFClose)                                                                                       \
    F(TIFFGetField)                                                                                    \
    F(TIFFGetFieldDefaulted)                                                                           \
    F(TIFFIsTiled)                                                                                     \
    F(TIFFNumberOfTiles)                                                                               \
    F(TIFFNumberOfStrips)                                                                              \
    F(TIFFGetStrileOffset)                                                                             \
    F(TIFFGetStrileByteCount)                                                                          \
    F(TIFFRGBAImageOK)                                                                                 \
    F(TIFFReadRGBAImageOriented)

VELMORA_DECODER_LIBRARY(Libtiff, Tiff, VELMORA_TIFF_FUNCTIONS, "TIFF", "libtiff.so.6")

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
    void operator()(TIFF* tiff) const { Tiff().TIFFClose(tiff); }
};
struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { Tiff().TIFFOpenOptionsFree(options); }
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


// ---- JPEG inside TIFF ----
//
// libtiff hands the JPEG data of each strip or tile to libjpeg as it stands, so the pricing of scans
// that DecodeJpeg does never sees it, and libtiff lets libjpeg run up to 100 scans a strip. A
// progressive or arithmetic-coded scan walks every block of its strip whatever its data holds (an
// empty arithmetic-coded refinement costs up to 350 ns a block), so a 400 kB file of such scans took
// seconds. No camera or scanner writes those modes into a TIFF file: they are refused before
// decoding. What stays is sequential Huffman coding with each colour component in one scan, whose
// work libtiff bounds to the strip's or tile's own pixels (it refuses JPEG data larger than them).

constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kDac = 0xCC; // arithmetic conditioning tables

bool IsFrameMarker(std::uint8_t code) { return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != kDac; }

struct JpegStreamFault {
    std::string what; // after "its JPEG data (strip 1) "; empty when libjpeg may be given the stream
    PictureFault fault = PictureFault::Unsupported;
};

// Why libjpeg should not be given a strip's or tile's JPEG stream.
JpegStreamFault FindJpegStreamFault(std::span<const std::uint8_t> stream)
{
    if (stream.size() < 2 || stream[0] != 0xFF || stream[1] != 0xD8)
        return {}; // libjpeg refuses it at once
    JpegStreamFault found;
    int components = 0;
    int scans = 0;
    ForEachJpegSegment(stream, [&](std::uint8_t code, std::span<const std::uint8_t> rest) {
        const bool arithmetic = code == kDac || (IsFrameMarker(code) && code >= 0xC9);
        const bool progressive = code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE;
        if (!found.what.empty())
            return;
        if (progressive || arithmetic)
            found.what = progressive && arithmetic ? "is progressive and arithmetic-coded"
                         : progressive             ? "is progressive"
                                                   : "is arithmetic-coded";
        else if (IsFrameMarker(code) && rest.size() > 5)
            components = rest[5]; // after precision, height and width
        else if (code == kSos)
            ++scans;
    });
    if (found.what.empty() && components > 0 && scans > components)
        found = {"has " + std::to_string(scans) + " scans for a frame of " + std::to_string(components) +
                     (components == 1 ? " component" : " components"),
                 PictureFault::Damaged};
    return found;
}

// Refuses JPEG-compressed strips and tiles that libjpeg would decode at a cost out of proportion,
// looking at the raw bytes before libtiff decodes any of them.
void CheckJpegData(TIFF* tiff, std::span<const std::uint8_t> file)
{
    std::uint16_t compression = COMPRESSION_NONE;
    Tiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_JPEG)
        return; // old-style JPEG (6): libtiff's own reader takes only sequential Huffman coding
    const auto refuse = [](const std::string& where, const JpegStreamFault& found) {
        const std::string data = "its JPEG data (" + where + ") " + found.what;
        if (found.fault == PictureFault::Damaged)
            throw PictureError("the TIFF file is damaged: " + data);
        throw PictureError("the TIFF picture is of a kind that cannot be shown: " + data, PictureFault::Unsupported);
    };
    std::uint32_t tablesSize = 0;
    const void* tables = nullptr;
    if (Tiff().TIFFGetField(tiff, TIFFTAG_JPEGTABLES, &tablesSize, &tables) && tables != nullptr)
        if (const JpegStreamFault found = FindJpegStreamFault({static_cast<const std::uint8_t*>(tables), tablesSize});
            !found.what.empty())
            refuse("tables", found);

    const bool tiled = Tiff().TIFFIsTiled(tiff) != 0;
    const std::uint32_t pieces = tiled ? Tiff().TIFFNumberOfTiles(tiff) : Tiff().TIFFNumberOfStrips(tiff);
    // Strips that share their data are read once; data that overlaps over and over is refused.
    std::set<std::uint64_t> seen;
    std::uint64_t scanned = 0;
    for (std::uint32_t i = 0; i < pieces; ++i) {
        const std::uint64_t offset = Tiff().TIFFGetStrileOffset(tiff, i);
        const std::uint64_t count = Tiff().TIFFGetStrileByteCount(tiff, i);
        if (offset >= file.size() || !seen.insert(offset).second)
            continue;
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(count, file.size() - offset));
        scanned += length;
        if (scanned > 4 * file.size())
            throw PictureError("the TIFF file is damaged: its JPEG strips or tiles overlap");
        if (const JpegStreamFault found = FindJpegStreamFault(file.subspan(static_cast<std::size_t>(offset), length));
            !found.what.empty())
            refuse((tiled ? "tile " : "strip ") + std::to_string(i + 1), found);
    }
}

} // namespace

Bitmap DecodeTiff(std::span<const std::uint8_t> file)
{
    Tiff().library.CheckAvailable();
    Reader reader{file, 0, {}};
    const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(Tiff().TIFFOpenOptionsAlloc());
    if (!options)
        throw std::bad_alloc();
    // No single allocation of libtiff's own (directory arrays, strip and tile buffers) may exceed
    // what the file pays for: a header declaring a billion tiles then fails at its offset array.
    const std::uint64_t allowance = kFreePictureMemory + kPictureMemoryPerCodedByte * file.size();
    Tiff().TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(
                                                           std::min<std::uint64_t>(allowance, std::uint64_t{1} << 31)));
    Tiff().TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepError, &reader);
    Tiff().TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreWarning, &reader);

    // "m": no memory mapping, the bytes are already in memory.
    const std::unique_ptr<TIFF, TiffCloser> tiff(Tiff().TIFFClientOpenExt("TIFF", "rm", &reader, ReadBytes, WriteNothing,
                                                                          Seek, CloseNothing, Size, MapNothing,
                                                                          UnmapNothing, options.get()));
    if (!tiff)
        Refuse(reader, "is damaged");

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!Tiff().TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !Tiff().TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height))
        Refuse(reader, "is damaged: it does not declare its picture's size");
    // The RGBA raster libtiff paints into, besides the result; its strip or tile buffer is bounded
    // by the allowance above.
    decoded::CheckDeclaredPicture("TIFF", width, height, 4, file.size());

    char why[1024] = {};
    if (!Tiff().TIFFRGBAImageOK(tiff.get(), why))
        throw PictureError(std::string("the TIFF picture is of a kind that cannot be shown: ") + why,
                           PictureFault::Unsupported);

    CheckJpegData(tiff.get(), file);

    std::vector<std::uint32_t> raster(std::size_t{width} * height);
    // Stop at the first damaged strip or tile rather than show a picture with holes.
    if (!Tiff().TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1))
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
