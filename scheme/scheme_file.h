#pragma once

#include "scheme_builder.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// The scheme file: one JSON object that the window saves as NAME.velmora and velmora-cli writes as
// scheme.json. Its keys, in the order they are written:
//
//   "format"     "velmora-scheme"; files written before it had this key have neither it nor
//                "version" and still open
//   "version"    1
//   "picture"    the source picture's name as the user gave it (a record only)
//   "width", "height"   the chart in stitches, 10..1000
//   "colors"     the largest palette asked for, 2..100
//   "dithering"  whether error diffusion mapped the stitches
//   "perceptual" true when the threads were chosen as the eye sees colours; written only then,
//                so a file of the usual build has no such key and reads as false without it
//   "symbols"    the symbol list asked for: one character code per colour (optional)
//   "fabric"     the cloth: {"count": stitches per inch, 6..40, "width_mm", "height_mm": the
//                finished size}; optional, 14 count without it; the sizes are not read
//   "legend"     the legend's rows as the window shows them, the header first and the empty last
//                row included: ["№", symbol code, colour value, thread name, stitch count]; all
//                texts but the symbol, which is a number (0 for none)
//   "threads"    [{"thread", "stitches", "skeins"}] in legend order: what to buy on that cloth;
//                derived from the legend, not read
//   "backstitches" [{"thread": name, "from": [x, y], "to": [x, y]}] in drawing order: lines of
//                backstitch between corners of the grid, x in 0..width, y in 0..height, each in a
//                thread the legend has; only in a scheme that has lines (kMaxBackstitches at most)
//   "chart"      H rows of W symbol codes, the top row first; 0 is a stitch of White (empty)
//
// The mapped picture is not stored: every stitch takes its thread's catalogue colour.
inline constexpr char kSchemeFormatName[] = "velmora-scheme";
inline constexpr int kSchemeFormatVersion = 1;
// A scheme of 1000 × 1000 stitches takes under 5 MB; a larger file is no scheme of ours.
inline constexpr std::uintmax_t kMaxSchemeFileSize = 10 * 1024 * 1024;

// A scheme file that cannot be read. what() is the English message (velmora-cli's); russian() says
// the same for the window. Both name the key and the row at fault.
class SchemeFileError : public std::runtime_error {
public:
    SchemeFileError(const std::string& english, std::string russian)
        : std::runtime_error(english), russian_(std::move(russian))
    {
    }
    const std::string& russian() const { return russian_; }

private:
    std::string russian_;
};

// The file's text for `document`.
std::string SchemeFileText(const SchemeDocument& document);
// The same text handed to `write` in pieces, in order, as it is made: the chart of a large scheme,
// most of the text, is never held whole.
void WriteSchemeFileText(const SchemeDocument& document, const std::function<void(std::string_view)>& write);

// Writes the file whole or not at all. Throws FileWriteError naming the file and the reason.
void WriteSchemeFile(const std::filesystem::path& path, const SchemeDocument& document);

// The scheme of a file's text: request, chart, legend and the mapped picture rebuilt from the
// threads' colours, cell for cell what was saved. Throws SchemeFileError for anything that is not
// a whole, consistent scheme. The work is bounded by the text's size, which may be at most
// kMaxSchemeFileSize.
SchemeDocument ParseSchemeFile(std::string_view text);

// Reads and parses the file; one larger than kMaxSchemeFileSize is refused unread. Throws
// SchemeFileError, also when the file cannot be read.
SchemeDocument ReadSchemeFile(const std::filesystem::path& path);

// Whether the bytes a file begins with are those of a scheme file rather than a picture: after
// blanks (and a UTF-8 byte-order mark) comes '{'. No picture format begins so.
bool LooksLikeSchemeFile(std::string_view firstBytes);
// The same for a file; false when it cannot be read.
bool IsSchemeFile(const std::filesystem::path& path);

} // namespace velmora
