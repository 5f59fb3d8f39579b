#include "picture_decoders.h"

#include "decoded_pixels.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::string StatusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "the WebP file is cut short";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "the WebP file uses a feature libwebp does not support";
    case VP8_STATUS_OUT_OF_MEMORY:
        return "there is not enough memory to decode the WebP picture";
    case VP8_STATUS_INVALID_PARAM:
    case VP8_STATUS_BITSTREAM_ERROR:
    default:
        return "the WebP file is damaged: its data is not a valid WebP bitstream";
    }
}

[[noreturn]] void Refuse(VP8StatusCode status)
{
    if (status == VP8_STATUS_OUT_OF_MEMORY)
        throw std::bad_alloc();
    throw PictureError(StatusText(status), status == VP8_STATUS_UNSUPPORTED_FEATURE ? PictureFault::Unsupported
                                                                                      : PictureFault::Damaged);
}

Bitmap FromRgba(const std::uint8_t* rgba, int width, int height)
{
    Bitmap picture(width, height);
    picture.setSourceBitsPerPixel(24);
    for (int y = 0; y < height; ++y)
        for (Color& pixel : picture.row(y)) {
            pixel = decoded::OnWhite(rgba[0], rgba[1], rgba[2], rgba[3]);
            rgba += 4;
        }
    return picture;
}

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// The first frame of an animation as it shows on the canvas, through the library's own
// compositing (a frame may cover only part of the canvas).
Bitmap DecodeFirstFrame(std::span<const std::uint8_t> file)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        throw PictureError("libwebp's animation decoder does not match its header");
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData data{file.data(), file.size()};
    const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
    if (!decoder)
        throw PictureError("the animated WebP file is damaged: its frames cannot be read");
    WebPAnimInfo info{};
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || info.frame_count == 0 ||
        !WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr)
        throw PictureError("the animated WebP file is damaged: its first frame cannot be decoded");
    return FromRgba(canvas, static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height));
}

} // namespace

Bitmap DecodeWebp(std::span<const std::uint8_t> file)
{
    WebPBitstreamFeatures features{};
    const VP8StatusCode headerStatus = WebPGetFeatures(file.data(), file.size(), &features);
    if (headerStatus != VP8_STATUS_OK)
        Refuse(headerStatus);
    // The RGBA the library decodes into, and for an animation the canvas it keeps beside it; the
    // decoder's own buffers (a lossless picture's pixels, a lossy one's planes) come on top.
    const std::uint64_t bytesPerPixel = features.has_animation ? 12 : 8;
    decoded::CheckDeclaredPicture("WebP", features.width, features.height, bytesPerPixel, file.size());
    if (features.has_animation)
        return DecodeFirstFrame(file);

    const int width = features.width;
    const int height = features.height;
    std::vector<std::uint8_t> rgba(std::size_t{4} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw PictureError("libwebp's decoder does not match its header");
    config.output.colorspace = MODE_RGBA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = rgba.data();
    config.output.u.RGBA.stride = 4 * width;
    config.output.u.RGBA.size = rgba.size();
    const VP8StatusCode status = WebPDecode(file.data(), file.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        Refuse(status);
    if (config.output.width != width || config.output.height != height)
        throw PictureError("the WebP file is damaged: its picture is not of the size its header declares");
    return FromRgba(rgba.data(), width, height);
}

} // namespace velmora
