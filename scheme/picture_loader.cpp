#include "picture_loader.h"

#include "bmp_codec.h"
#include "jpeg_decoder.h"
#include "picture_error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <span>
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

// An open picture file: its size is known and checked before any of it is read.
class PictureFile {
public:
    explicit PictureFile(const std::filesystem::path& path) : name_(path.string())
    {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        if (error || !std::filesystem::exists(status))
            throw PictureError("file " + name_ + " does not exist");
        if (!std::filesystem::is_regular_file(status))
            throw PictureError(name_ + " is not a file");

        in_.open(path, std::ios::binary);
        if (!in_)
            throw PictureError("cannot open " + name_);
        in_.seekg(0, std::ios::end);
        const std::streamoff size = in_.tellg();
        if (size < 0)
            throw PictureError("cannot read " + name_);
        if (static_cast<std::uintmax_t>(size) > kMaxPictureFileBytes)
            throw PictureError(name_ + " is too large for a picture");
        size_ = static_cast<std::uint64_t>(size);
        position_ = size_;
    }

    std::uint64_t size() const { return size_; }

    void read(std::uint64_t offset, std::span<std::uint8_t> out)
    {
        if (out.empty())
            return;
        if (offset != position_ && !in_.seekg(static_cast<std::streamoff>(offset)))
            throw PictureError("cannot read " + name_);
        if (!in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size())))
            throw PictureError("cannot read " + name_);
        position_ = offset + out.size();
    }

    std::vector<std::uint8_t> readAll()
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size_));
        read(0, bytes);
        return bytes;
    }

private:
    std::string name_;
    std::ifstream in_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

class BmpFileSource : public BmpSource {
public:
    explicit BmpFileSource(PictureFile& file) : file_(file) {}
    std::uint64_t size() const override { return file_.size(); }
    void read(std::uint64_t offset, std::span<std::uint8_t> out) override { file_.read(offset, out); }

private:
    PictureFile& file_;
};

Bitmap LoadJpeg(PictureFile& file)
{
    // A file that does not start as a JPEG is refused before the rest of it is read.
    std::array<std::uint8_t, 2> start{};
    if (file.size() >= start.size()) {
        file.read(0, start);
        CheckJpegStart(start);
    }
    return DecodeJpeg(file.readAll());
}

} // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    PictureFile file(path);
    return file.readAll();
}

Bitmap LoadPicture(const std::filesystem::path& path)
{
    const std::string extension = LowerCase(path.extension().string());
    if (extension == ".bmp") {
        PictureFile file(path);
        BmpFileSource source(file);
        return DecodeBmp(source);
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        PictureFile file(path);
        return LoadJpeg(file);
    }
    throw PictureError("cannot read pictures of the kind \"" + extension + "\" (" + path.string() +
                       "); use a Windows bitmap (.bmp) or a JPEG (.jpg, .jpeg)");
}

} // namespace velmora
