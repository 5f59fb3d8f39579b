#include "picture_decoders.h"

#include "decoded_pixels.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Reader {
    std::span<const std::uint8_t> file;
    std::size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* out, int wanted)
{
    auto& reader = *static_cast<Reader*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(wanted), reader.file.size() - reader.at);
    std::memcpy(out, reader.file.data() + reader.at, count);
    reader.at += count;
    return static_cast<int>(count);
}

[[noreturn]] void Refuse(int error)
{
    // giflib's words: "Data is not in GIF format", "Image is defective, decoding aborted"…
    const char* text = GifErrorString(error);
    throw PictureError(std::string("the GIF file is damaged: ") + (text != nullptr ? text : "unknown error"));
}

class GifFile {
public:
    explicit GifFile(Reader& reader)
    {
        int error = 0;
        gif_ = DGifOpen(&reader, ReadBytes, &error);
        if (gif_ == nullptr)
            Refuse(error);
    }
    ~GifFile()
    {
        int error = 0;
        DGifCloseFile(gif_, &error);
    }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;

    GifFileType* operator->() const { return gif_; }
    GifFileType* get() const { return gif_; }
    void check(int result) const
    {
        if (result == GIF_ERROR)
            Refuse(gif_->Error);
    }

private:
    GifFileType* gif_ = nullptr;
};

} // namespace

Bitmap DecodeGif(std::span<const std::uint8_t> file)
{
    Reader reader{file, 0};
    GifFile gif(reader);

    // Records up to the first picture; a graphic control extension before it may name the colour
    // index that stands for transparency.
    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        gif.check(DGifGetRecordType(gif.get(), &record));
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
        if (record == TERMINATE_RECORD_TYPE)
            throw PictureError("the GIF file holds no picture");
        if (record != EXTENSION_RECORD_TYPE)
            throw PictureError("the GIF file is damaged: it holds a record of an unknown type");
        int code = 0;
        GifByteType* block = nullptr;
        gif.check(DGifGetExtension(gif.get(), &code, &block));
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparentIndex = control.TransparentColor;
        }
        while (block != nullptr)
            gif.check(DGifGetExtensionNext(gif.get(), &block));
    }
    gif.check(DGifGetImageDesc(gif.get()));

    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (colours == nullptr || colours->Colors == nullptr)
        throw PictureError("the GIF file is damaged: its picture has no colour table");
    // Some writers leave the canvas size at zero; the frame then is the picture.
    const int canvasWidth = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    const int canvasHeight = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    // The frame's pixels are decoded whether or not they fall on the canvas, so it is weighed too.
    decoded::CheckDeclaredPicture("GIF", frame.Width, frame.Height, 0, file.size());
    decoded::CheckDeclaredPicture("GIF", canvasWidth, canvasHeight, 0, file.size());

    // What the frame does not cover is transparent: the bare cloth.
    Bitmap picture(canvasWidth, canvasHeight, kWhite);
    picture.setSourceBitsPerPixel(24);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    const auto storeRow = [&](int row) {
        const int y = frame.Top + row;
        if (y < 0 || y >= canvasHeight)
            return;
        const std::span<Color> out = picture.row(y);
        for (int i = 0; i < frame.Width; ++i) {
            const int x = frame.Left + i;
            const int index = line[static_cast<std::size_t>(i)];
            if (x >= canvasWidth || index == transparentIndex)
                continue;
            // An index beyond the table shows as black, as browsers show it.
            if (index < colours->ColorCount) {
                const GifColorType& c = colours->Colors[index];
                out[static_cast<std::size_t>(x)] = MakeColor(c.Red, c.Green, c.Blue);
            } else {
                out[static_cast<std::size_t>(x)] = kBlack;
            }
        }
    };
    const auto readRow = [&](int row) {
        gif.check(DGifGetLine(gif.get(), line.data(), frame.Width));
        storeRow(row);
    };
    if (frame.Interlace) {
        // Rows 0, 8, 16, … then 4, 12, … then 2, 6, … then the odd ones.
        constexpr int kFirst[] = {0, 4, 2, 1};
        constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kFirst[pass]; row < frame.Height; row += kStep[pass])
                readRow(row);
    } else {
        for (int row = 0; row < frame.Height; ++row)
            readRow(row);
    }
    return picture;
}

} // namespace velmora
