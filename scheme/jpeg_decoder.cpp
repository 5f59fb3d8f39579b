#include "jpeg_decoder.h"

#include "picture_error.h"

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

// jpeglib.h uses FILE and size_t without including their headers.
#include <jerror.h>
#include <jpeglib.h>

namespace velmora {
namespace {

// libjpeg-turbo advises a cap on the scans of a progressive file: every scan walks over every block
// of the picture, so a small file of empty scans could keep the decoder busy for minutes. Real
// encoders write about ten.
constexpr int kMaxScans = 1000;

// Working memory libjpeg may take for itself, on top of the picture: the whole-picture coefficient
// buffers of progressive and multi-scan files need 128 bytes a block, so 512 MiB holds a 4:2:0
// picture of 170 megapixels. libjpeg has no backing store on disk, so a larger need fails cleanly
// instead of being allocated.
constexpr long kMaxLibjpegMemoryMiB = 512;

struct ErrorManager {
    jpeg_error_mgr pub; // first, so that libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& Errors(j_common_ptr cinfo)
{
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void JumpOut(j_common_ptr cinfo)
{
    std::longjmp(Errors(cinfo).jump, 1);
}

// libjpeg's error_exit: keep its message and leave the library through the setjmp in Decompress.
[[noreturn]] void ExitWithMessage(j_common_ptr cinfo)
{
    char* message = Errors(cinfo).message;
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) // what running out of kMaxLibjpegMemory says
        std::snprintf(message, JMSG_LENGTH_MAX, "decoding the JPEG picture would need more than %ld MiB of memory",
                      kMaxLibjpegMemoryMiB);
    else
        (*cinfo->err->format_message)(cinfo, message);
    JumpOut(cinfo);
}

// libjpeg's emit_message. Warnings report damaged data that libjpeg works around, and we accept the
// picture as libjpeg repairs it, with one exception: when the file ends early, libjpeg would go on
// and paint the whole missing remainder grey, and a chart of a half-grey picture is worth less than
// telling the user the file is incomplete. Stopping there also bounds the work a short file with a
// large declared size can cause.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        ExitWithMessage(cinfo);
    ++cinfo->err->num_warnings;
}

// libjpeg's output_message would print to stderr; the core never writes to the console.
void IgnoreMessage(j_common_ptr) {}

struct ProgressMonitor {
    jpeg_progress_mgr pub; // first, as for ErrorManager
    // Set while the rows of a single-scan file are read: libjpeg decodes its data as the rows are
    // asked for.
    bool watchDataEnd;
};

// libjpeg's progress_monitor, called for every iMCU row of input and every call for output rows.
void WatchProgress(j_common_ptr cinfo)
{
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    char* message = Errors(cinfo).message;
    if (decompressor->input_scan_number > kMaxScans) {
        std::snprintf(message, JMSG_LENGTH_MAX, "the JPEG file has more than %d scans", kMaxScans);
        JumpOut(cinfo);
    }

    // When the entropy decoder of a single-scan file meets a marker other than a restart marker,
    // the picture data has ended; libjpeg would paint every row still to come grey (for arithmetic
    // coding without even a warning), so a header claiming a large picture over little data could
    // keep it busy for a long time. The decoder reads up to two iMCU rows ahead of the output
    // (smoothing needs the next row), so the end of complete data is met that far before the last
    // row.
    const auto& progress = *reinterpret_cast<const ProgressMonitor*>(cinfo->progress);
    const int marker = decompressor->unread_marker;
    const bool restartMarker = marker >= 0xD0 && marker <= 0xD7;
    const JDIMENSION lookAhead = 3 * static_cast<JDIMENSION>(decompressor->max_v_samp_factor * DCTSIZE);
    if (progress.watchDataEnd && marker != 0 && !restartMarker &&
        decompressor->output_height - decompressor->output_scanline > lookAhead) {
        std::snprintf(message, JMSG_LENGTH_MAX, "the JPEG picture data ends at row %u of %u",
                      decompressor->output_scanline, decompressor->output_height);
        JumpOut(cinfo);
    }
}

// Everything the decoding works on lives here, owned by DecodeJpeg and outside the frame that calls
// setjmp: longjmp must not skip a destructor, and libjpeg's structures must keep their values
// across it.
struct Decoding {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    ProgressMonitor progress{};
    std::span<const std::uint8_t> file;
    Bitmap bitmap;
    std::vector<JSAMPLE> rows;
    std::string refusal; // set when one of our own checks turns the file down
};

// Adobe's encoders store CMYK inverted (0 = full ink) and mark the file with an APP14 marker; other
// writers store plain CMYK. The formula and its rounding are those of djpeg's CMYK-to-RGB output.
Color CmykToRgb(int c, int m, int y, int k, bool inverted)
{
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return MakeColor((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
}

// The checks between reading the header and decoding. Returns false with d.refusal set.
bool AcceptHeader(Decoding& d) noexcept
{
    const jpeg_decompress_struct& cinfo = d.cinfo;
    try {
        CheckPictureSize(cinfo.image_width, cinfo.image_height);

        switch (cinfo.out_color_space) {
        case JCS_GRAYSCALE:
        case JCS_RGB:
        case JCS_CMYK:
            break;
        default:
            d.refusal = "the JPEG picture has " + std::to_string(cinfo.num_components) +
                        " colour components of a kind that cannot be shown in RGB";
            return false;
        }

        // Huffman coding spends at least one bit on the DC coefficient of every 8 × 8 block, so a
        // file with fewer bits than blocks cannot hold the picture its header declares (arithmetic
        // coding has no such floor). Such a header would otherwise make us allocate and fill a
        // picture of the declared size from nothing.
        if (!cinfo.arith_code) {
            std::uint64_t blocks = 0;
            for (int i = 0; i < cinfo.num_components; ++i)
                blocks += std::uint64_t{cinfo.comp_info[i].width_in_blocks} * cinfo.comp_info[i].height_in_blocks;
            if (blocks > std::uint64_t{8} * d.file.size()) {
                d.refusal = "the JPEG file is too short for a " + std::to_string(cinfo.image_width) + " × " +
                            std::to_string(cinfo.image_height) + " picture (" + std::to_string(d.file.size()) +
                            " bytes cannot hold its " + std::to_string(blocks) + " blocks)";
                return false;
            }
        }
        return true;
    } catch (const std::exception& e) {
        d.refusal = e.what();
        return false;
    }
}

bool AllocateOutput(Decoding& d) noexcept
{
    const jpeg_decompress_struct& cinfo = d.cinfo;
    try {
        d.bitmap = Bitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
        d.bitmap.setSourceBitsPerPixel(24);
        d.rows.resize(std::size_t{cinfo.output_width} * static_cast<std::size_t>(cinfo.output_components) *
                      static_cast<std::size_t>(cinfo.rec_outbuf_height));
        return true;
    } catch (const std::exception& e) {
        d.refusal = e.what();
        return false;
    }
}

// Converts `count` rows of libjpeg's output, starting at picture row `first`, into the bitmap.
void StoreRows(Decoding& d, int first, int count) noexcept
{
    const jpeg_decompress_struct& cinfo = d.cinfo;
    const std::size_t rowBytes = std::size_t{cinfo.output_width} * static_cast<std::size_t>(cinfo.output_components);
    for (int r = 0; r < count; ++r) {
        const JSAMPLE* in = d.rows.data() + static_cast<std::size_t>(r) * rowBytes;
        const std::span<Color> out = d.bitmap.row(first + r);
        switch (cinfo.out_color_space) {
        case JCS_GRAYSCALE:
            for (Color& pixel : out)
                pixel = Color{*in++} * 0x010101u;
            break;
        case JCS_CMYK:
            for (Color& pixel : out) {
                pixel = CmykToRgb(in[0], in[1], in[2], in[3], cinfo.saw_Adobe_marker != 0);
                in += 4;
            }
            break;
        default:
            for (Color& pixel : out) {
                pixel = MakeColor(in[0], in[1], in[2]);
                in += 3;
            }
            break;
        }
    }
}

// Runs libjpeg over d.file into d.bitmap. Returns false with d.errors.message (libjpeg's own
// message) or d.refusal set. Only libjpeg and the noexcept helpers above run between setjmp and
// the jumps back to it.
bool Decompress(Decoding& d)
{
    d.cinfo.err = jpeg_std_error(&d.errors.pub);
    d.errors.pub.error_exit = ExitWithMessage;
    d.errors.pub.emit_message = OnMessage;
    d.errors.pub.output_message = IgnoreMessage;
    d.progress.pub.progress_monitor = WatchProgress;

    if (setjmp(d.errors.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.progress = &d.progress.pub;
    d.cinfo.mem->max_memory_to_use = kMaxLibjpegMemoryMiB << 20;
    jpeg_mem_src(&d.cinfo, d.file.data(), static_cast<unsigned long>(d.file.size()));

    jpeg_read_header(&d.cinfo, TRUE);
    if (!AcceptHeader(d)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }

    jpeg_start_decompress(&d.cinfo);
    d.progress.watchDataEnd = !jpeg_has_multiple_scans(&d.cinfo);
    if (!AllocateOutput(d)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }

    const std::size_t rowBytes =
        std::size_t{d.cinfo.output_width} * static_cast<std::size_t>(d.cinfo.output_components);
    JSAMPROW rowPointers[16]; // rec_outbuf_height is at most the largest sampling factor, 4
    const int batch = d.cinfo.rec_outbuf_height < 16 ? d.cinfo.rec_outbuf_height : 16;
    for (int r = 0; r < batch; ++r)
        rowPointers[r] = d.rows.data() + static_cast<std::size_t>(r) * rowBytes;

    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const int first = static_cast<int>(d.cinfo.output_scanline);
        const JDIMENSION read = jpeg_read_scanlines(&d.cinfo, rowPointers, static_cast<JDIMENSION>(batch));
        if (read == 0) { // only a suspending data source returns no rows; ours never suspends
            d.refusal = "libjpeg returned no picture rows";
            jpeg_destroy_decompress(&d.cinfo);
            return false;
        }
        StoreRows(d, first, static_cast<int>(read));
    }

    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

} // namespace

Bitmap DecodeJpeg(std::span<const std::uint8_t> file)
{
    // libjpeg counts the input in unsigned long, which has 32 bits on Windows.
    if constexpr (sizeof(std::size_t) > sizeof(unsigned long)) {
        if (file.size() > ULONG_MAX)
            throw PictureError("the JPEG file is too large");
    }

    Decoding d;
    d.file = file;
    if (!Decompress(d))
        throw PictureError(d.refusal.empty() ? std::string(d.errors.message) : d.refusal);
    return std::move(d.bitmap);
}

} // namespace velmora
