#include "picture_loader.h"

#include "bmp_codec.h"
#include "jpeg_decoder.h"
#include "picture_error.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <system_error>

namespace velmora {
namespace {

// No bitmap or JPEG within the picture limits needs more than this; a bigger "picture" is refused
// before it is read into memory.
constexpr std::uintmax_t kMaxPictureFileBytes = std::uintmax_t{2} << 30;

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

} // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    const std::string name = path.string();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        throw PictureError("file " + name + " does not exist");
    if (!std::filesystem::is_regular_file(status))
        throw PictureError(name + " is not a file");

    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PictureError("cannot open " + name);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        throw PictureError("cannot read " + name);
    if (static_cast<std::uintmax_t>(size) > kMaxPictureFileBytes)
        throw PictureError(name + " is too large for a picture");
    in.seekg(0, std::ios::beg);

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        throw PictureError("cannot read " + name);
    return bytes;
}

Bitmap LoadPicture(const std::filesystem::path& path)
{
    const std::string extension = LowerCase(path.extension().string());
    if (extension == ".bmp")
        return DecodeBmp(ReadFileBytes(path));
    if (extension == ".jpg" || extension == ".jpeg")
        return DecodeJpeg(ReadFileBytes(path));
    throw PictureError("cannot read pictures of the kind \"" + extension + "\" (" + path.string() +
                       "); use a Windows bitmap (.bmp) or a JPEG (.jpg, .jpeg)");
}

} // namespace velmora
