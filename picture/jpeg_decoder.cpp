#include "jpeg_decoder.h"

#include "jpeg_markers.h"
#include "picture_budget.h"
#include "picture_error.h"

#include <algorithm>
#include <array>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <span>
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

// What a scan costs is priced before decoding, per block it walks over, from what its kind was
// measured to cost at worst (libjpeg-turbo 2.1, a 2-core x86-64 under load; the prices carry a
// margin of about 1.7 over those figures):
// - A Huffman-coded scan: 10 ns a block. Work beyond that needs bits of the file, and a decoder
//   that runs out of them is refused on the spot (OnMessage).
// - An arithmetic-coded scan: 12 ns a block, 0.5 ns for every coefficient up to the end of its
//   band (a refinement looks for the last one already nonzero) and 4 ns for every coefficient in
//   its band. The decoder reads zeros past the end of the data without a word, and zeros decode
//   as likely decisions, which cost almost no data: an empty refinement scan over blocks whose
//   63 coefficients are all nonzero takes 180 to 350 ns a block.
// A file's scans may cost 0.5 s so priced, which keeps the decoding of any file well under 2 s, also
// in the sanitizer builds that fuzzing runs with a timeout of 2 s. Real files stay below: the scans
// of libjpeg's default progression cost 0.15 s for a Huffman-coded 4:2:0 picture of 55 megapixels
// (the most kMaxLibjpegMemoryMiB holds), and with arithmetic coding, which is rare, 20 ns a pixel:
// 0.5 s at 25 megapixels.
constexpr double kHuffmanBlockNs = 10;
constexpr double kArithmeticBlockNs = 12;
constexpr double kArithmeticBandEndNs = 0.5;
constexpr double kArithmeticCoefficientNs = 4;
constexpr double kMaxScanWorkNs = 0.5e9;

// Working memory libjpeg may take for itself, on top of the picture: the whole-picture coefficient
// buffers of progressive and multi-scan files need 128 bytes a block, so 160 MiB hold a 4:2:0
// picture of 55 megapixels (27 at 4:4:4). libjpeg has no backing store on disk, so a larger need
// fails cleanly instead of being allocated.
constexpr long kMaxLibjpegMemoryMiB = 160;
constexpr std::uint64_t kBytesPerBufferedBlock = 64 * sizeof(JCOEF);

// libjpeg's words for data that stops early (JWRN_JPEG_EOF).
constexpr const char* kFileEndsEarly = "Premature end of JPEG file";

struct ErrorManager {
    jpeg_error_mgr pub; // first, so that libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool headerRead;   // jpeg_read_header has returned
    bool fileEnded;    // the data ran out without an end marker; libjpeg went on with a fake one
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

// libjpeg's emit_message. libjpeg's warnings report damaged data that it works around: a bad
// code, a marker where data should be, a scan out of order, bytes between segments. It would fill
// what it cannot decode with grey, and a chart of a half-grey picture is worth less than telling
// the user the file is damaged, so such a warning refuses the file with libjpeg's words. Notes on
// the headers (an unknown JFIF version or Adobe transform, a damaged colour profile) leave the
// picture whole and are let pass.
//
// Running out of data is not always a loss, though: a file may lack no more than its end marker.
// libjpeg then goes on as if the marker were there, and we let it as long as the picture data
// needs no bit beyond the end (the Huffman decoder says so with JWRN_HIT_MARKER; what multi-scan
// files need is checked once all their scans are in, and a single-scan file that stops short is
// also caught row by row in WatchProgress). Arithmetic-coded data reads zeros past its end
// without a word, so there the end of the file is always taken as a loss.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    ErrorManager& errors = Errors(cinfo);
    const int code = cinfo->err->msg_code;
    switch (code) {
    case JWRN_JPEG_EOF:
        if (!errors.headerRead || reinterpret_cast<j_decompress_ptr>(cinfo)->arith_code != 0)
            ExitWithMessage(cinfo);
        errors.fileEnded = true;
        break;
    case JWRN_HIT_MARKER:
        if (errors.fileEnded)
            cinfo->err->msg_code = JWRN_JPEG_EOF;
        ExitWithMessage(cinfo);
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
        break;
    default:
        ExitWithMessage(cinfo);
    }
    ++cinfo->err->num_warnings;
}

// libjpeg's output_message would print to stderr; the core never writes to the console.
void IgnoreMessage(j_common_ptr) {}

struct ProgressMonitor {
    jpeg_progress_mgr pub; // first, as for ErrorManager
    // Set while the rows of a single-scan, Huffman-coded file are read: libjpeg decodes its data as
    // the rows are asked for.
    bool watchDataEnd;
    int lastScan;                  // the scan whose work is counted in scanWorkNs
    double scanWorkNs;             // the price of the scans so far (ScanPriceNs)
    unsigned componentsSeen;       // bit i: comp_info[i] has been in a scan
};

// What a scan over `blocks` blocks of a component costs at worst, in nanoseconds (see kMaxScanWorkNs).
double ScanPriceNs(std::uint64_t blocks, int ss, int se, bool arithmetic) noexcept
{
    ss = std::clamp(ss, 0, DCTSIZE2 - 1);
    se = std::clamp(se, ss, DCTSIZE2 - 1);
    const double perBlock = arithmetic ? kArithmeticBlockNs + kArithmeticBandEndNs * (se + 1) +
                                             kArithmeticCoefficientNs * (se - ss + 1)
                                       : kHuffmanBlockNs;
    return perBlock * static_cast<double>(blocks);
}

// Writes the refusal of scans priced at `workNs` into `message` (JMSG_LENGTH_MAX bytes).
void SayTooLong(char* message, double workNs) noexcept
{
    std::snprintf(message, JMSG_LENGTH_MAX,
                  "decoding the JPEG file would take too long: its scans would cost %.1f s (at most %.1f s)",
                  workNs / 1e9, kMaxScanWorkNs / 1e9);
}

// libjpeg's progress_monitor, called for every iMCU row of input and every call for output rows.
void WatchProgress(j_common_ptr cinfo)
{
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto& progress = *reinterpret_cast<ProgressMonitor*>(cinfo->progress);
    char* message = Errors(cinfo).message;
    if (decompressor->input_scan_number > kMaxScans) {
        std::snprintf(message, JMSG_LENGTH_MAX, "the JPEG file has more than %d scans", kMaxScans);
        JumpOut(cinfo);
    }

    // The work of the scans is weighed before decoding (WeighDecoding); this keeps the bound should
    // libjpeg find scans there that the byte walk missed.
    if (decompressor->input_scan_number != progress.lastScan) {
        progress.lastScan = decompressor->input_scan_number;
        for (int i = 0; i < decompressor->comps_in_scan; ++i) {
            const jpeg_component_info& component = *decompressor->cur_comp_info[i];
            progress.scanWorkNs += ScanPriceNs(std::uint64_t{component.width_in_blocks} * component.height_in_blocks,
                                               decompressor->Ss, decompressor->Se, decompressor->arith_code != 0);
            progress.componentsSeen |= 1u << (component.component_index & 31);
        }
        if (progress.scanWorkNs > kMaxScanWorkNs) {
            SayTooLong(message, progress.scanWorkNs);
            JumpOut(cinfo);
        }
    }

    // When the Huffman decoder of a single-scan file meets a marker other than a restart marker,
    // the picture data has ended; libjpeg would paint every row still to come grey, so a header
    // claiming a large picture over little data could keep it busy for a long time. The decoder
    // reads up to two iMCU rows ahead of the output (smoothing needs the next row), so the end of
    // complete data is met that far before the last row. Arithmetic-coded data is not watched:
    // its encoder leaves out the zero bytes at its end, so valid data often ends long before the
    // last row.
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

// ---- Weighing a file before decoding it ----

// The scan headers of a file, found by walking its markers as libjpeg does (jpeg_markers.h).
struct ScanHeader {
    std::vector<std::uint8_t> components; // identifiers, as in the frame header
    int ss = 0, se = 0, ah = 0, al = 0;   // spectral band and successive approximation bits
};

struct ScanCensus {
    int scans = 0;                  // all of them, even beyond kMaxScans
    std::vector<ScanHeader> headers; // the first kMaxScans + 1
};

ScanCensus ReadScanHeaders(std::span<const std::uint8_t> file)
{
    constexpr std::uint8_t kSos = 0xDA;
    ScanCensus census;
    ForEachJpegSegment(file, [&](std::uint8_t code, std::span<const std::uint8_t> rest) {
        if (code != kSos || rest.empty())
            return;
        ++census.scans;
        if (census.headers.size() > kMaxScans)
            return;
        ScanHeader header;
        const std::size_t n = rest.size();
        const std::size_t components = rest[0];
        const std::size_t parameters = 1 + 2 * components;
        for (std::size_t i = 0; i < components && 1 + 2 * i < n; ++i)
            header.components.push_back(rest[1 + 2 * i]);
        if (parameters + 2 < n) {
            header.ss = rest[parameters];
            header.se = rest[parameters + 1];
            header.ah = rest[parameters + 2] >> 4;
            header.al = rest[parameters + 2] & 15;
        }
        census.headers.push_back(std::move(header));
    });
    return census;
}

// Everything the decoding works on lives here, owned by DecodeJpeg and outside the frame that calls
// setjmp: longjmp must not skip a destructor, and libjpeg's structures must keep their values
// across it.
// One decoding: libjpeg's state with our managers and what the file turns into. libjpeg's memory
// goes with it however the decoding ends, a jump out of the library included.
struct Decoding {
    Decoding() = default;
    Decoding(const Decoding&) = delete;
    Decoding& operator=(const Decoding&) = delete;
    // Also right before jpeg_create_decompress has run or when it failed: libjpeg frees nothing then.
    ~Decoding() { jpeg_destroy_decompress(&cinfo); }

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

std::uint64_t BlocksOf(const jpeg_component_info& component)
{
    return std::uint64_t{component.width_in_blocks} * component.height_in_blocks;
}

// The first scan that sends nothing new, or an empty text. A progressive scan must bring every
// coefficient of its band a bit not sent before: a first scan only coefficients never sent, a
// refinement the next lower bit (libjpeg itself only warns about a refinement out of order, and
// does not mind a coefficient sent over again from the start). A sequential file sends each
// component once. A repeated scan is how a few bytes make the decoder walk the picture hundreds of
// times; no encoder writes one.
std::string RepeatedScan(const jpeg_decompress_struct& cinfo, const ScanCensus& census)
{
    // The bits still to come for each component and coefficient: -1 before the first scan.
    std::vector<std::array<int, DCTSIZE2>> bits(static_cast<std::size_t>(cinfo.num_components));
    for (auto& component : bits)
        component.fill(-1);
    for (std::size_t s = 0; s < census.headers.size(); ++s) {
        const ScanHeader& scan = census.headers[s];
        for (const std::uint8_t id : scan.components) {
            int c = 0;
            while (c < cinfo.num_components && cinfo.comp_info[c].component_id != id)
                ++c;
            if (c == cinfo.num_components)
                continue; // libjpeg refuses the scan itself
            auto& known = bits[static_cast<std::size_t>(c)];
            const int first = cinfo.progressive_mode ? std::min(scan.ss, DCTSIZE2 - 1) : 0;
            const int last = cinfo.progressive_mode ? std::clamp(scan.se, first, DCTSIZE2 - 1) : 0;
            for (int k = first; k <= last; ++k) {
                const bool fresh = scan.ah == 0 ? known[k] < 0 : known[k] == scan.ah && scan.al < scan.ah;
                if (!fresh)
                    return "the JPEG file is damaged: scan " + std::to_string(s + 1) + " sends coefficient " +
                           std::to_string(k) + " of component " + std::to_string(c) + " again";
                known[k] = scan.al;
            }
        }
    }
    return {};
}

// Why the file cannot hold, or should not be given, the decoding its headers ask for; empty when it
// can.
std::string WeighDecoding(Decoding& d)
{
    jpeg_decompress_struct& cinfo = d.cinfo;
    const std::uint64_t fileBytes = d.file.size();
    const std::string picture = std::to_string(cinfo.image_width) + " × " + std::to_string(cinfo.image_height) + " picture";
    std::uint64_t blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += BlocksOf(cinfo.comp_info[i]);

    // Huffman coding spends at least one bit on the DC coefficient of every 8 × 8 block, so a file
    // with fewer bits than blocks cannot hold the picture its header declares (arithmetic coding
    // has no such floor).
    if (!cinfo.arith_code && blocks > 8 * fileBytes)
        return "the JPEG file is too short for a " + picture + " (" + std::to_string(fileBytes) +
               " bytes cannot hold its " + std::to_string(blocks) + " blocks)";

    // The picture, and for a file of several scans the coefficients of every block, must be in
    // proportion to the file.
    std::uint64_t memory = std::uint64_t{4} * cinfo.image_width * cinfo.image_height;
    if (jpeg_has_multiple_scans(&cinfo))
        memory += kBytesPerBufferedBlock * blocks;
    if (!CodedDataSuffices(memory, fileBytes))
        return "the JPEG file is too short for a " + picture + " (" + std::to_string(fileBytes) + " bytes for " +
               std::to_string(memory >> 20) + " MiB of decoding)";

    // Every scan walks over all blocks of its components, so many scans over a large picture cost
    // minutes even when their data is empty. Weigh them all before decoding the first.
    const ScanCensus census = ReadScanHeaders(d.file);
    if (census.scans > kMaxScans)
        return "the JPEG file has more than " + std::to_string(kMaxScans) + " scans";
    if (std::string repeated = RepeatedScan(cinfo, census); !repeated.empty())
        return repeated;
    double workNs = 0;
    for (const ScanHeader& scan : census.headers)
        for (const std::uint8_t id : scan.components)
            for (int i = 0; i < cinfo.num_components; ++i)
                if (cinfo.comp_info[i].component_id == id)
                    workNs += ScanPriceNs(BlocksOf(cinfo.comp_info[i]), scan.ss, scan.se, cinfo.arith_code != 0);
    if (workNs > kMaxScanWorkNs) {
        char message[JMSG_LENGTH_MAX];
        SayTooLong(message, workNs);
        return message;
    }
    return {};
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
        d.refusal = WeighDecoding(d);
        return d.refusal.empty();
    } catch (const std::exception& e) {
        d.refusal = e.what();
        return false;
    }
}

// Whether a multi-scan file whose data ran out before its end marker still brought every
// coefficient of every component: then only the marker was missing.
bool AllScansArrived(const Decoding& d) noexcept
{
    const jpeg_decompress_struct& cinfo = d.cinfo;
    if (cinfo.progressive_mode) {
        for (int c = 0; c < cinfo.num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (cinfo.coef_bits[c][k] != 0) // -1: never sent; above 0: low bits still to come
                    return false;
        return true;
    }
    return d.progress.componentsSeen == (1u << cinfo.num_components) - 1;
}

bool AllocateOutput(Decoding& d) noexcept
{
    const jpeg_decompress_struct& cinfo = d.cinfo;
    try {
        // Decompress stores every row before it reports success, and a failure drops the bitmap.
        d.bitmap = Bitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                          Bitmap::Unfilled{});
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

// Reads libjpeg's output rows into d.bitmap, a few at a time.
bool ReadRows(Decoding& d)
{
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
            return false;
        }
        StoreRows(d, first, static_cast<int>(read));
    }
    return true;
}

// The decoding proper, from the header to the last row. Returns false with d.refusal set when one
// of our checks turns the file down; libjpeg's own failures leave through the jump in Decompress.
bool DecodeFile(Decoding& d)
{
    jpeg_mem_src(&d.cinfo, d.file.data(), static_cast<unsigned long>(d.file.size()));
    jpeg_read_header(&d.cinfo, TRUE);
    d.errors.headerRead = true;
    if (!AcceptHeader(d))
        return false;

    // A file of several scans is read whole here, a single scan row by row in ReadRows.
    const bool multipleScans = jpeg_has_multiple_scans(&d.cinfo);
    d.progress.watchDataEnd = !multipleScans && !d.cinfo.arith_code;
    jpeg_start_decompress(&d.cinfo);
    if (multipleScans && d.errors.fileEnded && !AllScansArrived(d)) {
        d.refusal = kFileEndsEarly;
        return false;
    }
    if (!AllocateOutput(d) || !ReadRows(d))
        return false;
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

// Runs libjpeg over d.file into d.bitmap. Returns false with d.errors.message (libjpeg's own
// message) or d.refusal set. Only libjpeg and the noexcept helpers above run between setjmp and
// the jumps back to it, and no frame they leave holds anything to destroy.
bool Decompress(Decoding& d)
{
    d.cinfo.err = jpeg_std_error(&d.errors.pub);
    d.errors.pub.error_exit = ExitWithMessage;
    d.errors.pub.emit_message = OnMessage;
    d.errors.pub.output_message = IgnoreMessage;
    d.progress.pub.progress_monitor = WatchProgress;
    d.progress.lastScan = -1;

    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.progress = &d.progress.pub;
    d.cinfo.mem->max_memory_to_use = kMaxLibjpegMemoryMiB << 20;
    return DecodeFile(d);
}

} // namespace

void CheckJpegStart(std::span<const std::uint8_t, 2> start)
{
    if (start[0] != 0xFF || start[1] != 0xD8) {
        char message[JMSG_LENGTH_MAX];
        std::snprintf(message, sizeof message, "Not a JPEG file: starts with 0x%02x 0x%02x", start[0], start[1]);
        throw PictureError(message);
    }
}

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
