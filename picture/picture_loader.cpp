#include "picture_loader.h"

#include "bmp_codec.h"
#include "exif_orientation.h"
#include "jpeg_decoder.h"
#include "picture_decoders.h"
#include "picture_error.h"
#include "picture_kind.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <span>
#include <string>
#include <system_error>

namespace velmora {
namespace {

// No picture within the picture limits needs a file larger than this; a bigger "picture" is
// refused before it is read into memory.
constexpr std::uintmax_t kMaxPictureFileBytes = std::uintmax_t{2} << 30;

// An open picture file: its size is known and checked before any of it is read.
class PictureFile {
public:
    explicit PictureFile(const std::filesystem::path& path) : name_(path.string())
    {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        if (error || !std::filesystem::exists(status))
            throw PictureError("file " + name_ + " does not exist", PictureFault::NoFile);
        if (!std::filesystem::is_regular_file(status))
            throw PictureError(name_ + " is not a file", PictureFault::NotAFile);

        in_.open(path, std::ios::binary);
        if (!in_)
            throw PictureError("cannot open " + name_, PictureFault::Unreadable);
        in_.seekg(0, std::ios::end);
        const std::streamoff size = in_.tellg();
        if (size < 0)
            throw PictureError("cannot read " + name_, PictureFault::Unreadable);
        if (static_cast<std::uintmax_t>(size) > kMaxPictureFileBytes)
            throw PictureError(name_ + " is too large for a picture", PictureFault::TooLarge);
        size_ = static_cast<std::uint64_t>(size);
        position_ = size_;
    }

    const std::string& name() const { return name_; }
    std::uint64_t size() const { return size_; }

    void read(std::uint64_t offset, std::span<std::uint8_t> out)
    {
        if (out.empty())
            return;
        if (offset != position_ && !in_.seekg(static_cast<std::streamoff>(offset)))
            throw PictureError("cannot read " + name_, PictureFault::Unreadable);
        if (!in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size())))
            throw PictureError("cannot read " + name_, PictureFault::Unreadable);
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

// A JPEG turned upright as its EXIF block says: phones store the picture as the sensor saw it and
// note how it was held.
Bitmap LoadJpeg(const std::vector<std::uint8_t>& file)
{
    return TurnUpright(DecodeJpeg(file), JpegExifOrientation(file));
}

} // namespace

Bitmap LoadPicture(const std::filesystem::path& path)
{
    PictureFile file(path);
    std::array<std::uint8_t, kPictureSignatureBytes> start{};
    const std::span<std::uint8_t> signature(start.data(), std::min<std::size_t>(start.size(), file.size()));
    file.read(0, signature);
    // A file of some other kind is refused before the rest of it is read.
    switch (SniffPictureKind(signature)) {
    case PictureKind::Bmp: {
        BmpFileSource source(file);
        return DecodeBmp(source);
    }
    case PictureKind::Jpeg:
        return LoadJpeg(file.readAll());
    case PictureKind::Png:
        return DecodePng(file.readAll());
    case PictureKind::Webp:
        return DecodeWebp(file.readAll());
    case PictureKind::Gif:
        return DecodeGif(file.readAll());
    case PictureKind::Tiff:
        return DecodeTiff(file.readAll());
    case PictureKind::Heif:
        return DecodeHeif(file.readAll());
    case PictureKind::Unknown:
        break;
    }
    throw PictureError(path.string() + " holds no picture of a kind velmora reads (" + kPictureKindsRead + ")",
                       PictureFault::UnknownKind);
}

} // namespace velmora
