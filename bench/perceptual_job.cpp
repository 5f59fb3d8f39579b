// The perceptual build as a whole process, for timing it side by side with other programs until
// velmora-cli runs it: decodes the picture, builds the scheme at the picture's width (at most
// 1000 stitches) and writes the scheme's picture as a BMP file.
// Usage: perceptual_job PICTURE OUTPUT.bmp [COLOURS (default 100)] [--dithering]
#include "picture/bmp_codec.h"
#include "files/output_file.h"
#include "picture/picture_loader.h"
#include "scheme/request_limits.h"
#include "scheme/scheme_builder.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    using namespace velmora;
    if (argc < 3) {
        std::fprintf(stderr, "usage: perceptual_job PICTURE OUTPUT.bmp [COLOURS] [--dithering]\n");
        return 2;
    }
    try {
        const Bitmap picture = LoadPicture(argv[1]);
        SchemeChoices choices;
        choices.width = std::clamp(picture.width(), kMinStitches, kMaxStitches);
        choices.colorCount = argc > 3 ? std::stoi(argv[3]) : kMaxColors;
        choices.dithering = argc > 4 && std::string_view(argv[4]) == "--dithering";
        SchemeRequest request = MakeSchemeRequest(picture, choices);
        request.perceptual = true;
        SchemeEngine engine;
        const SchemeDocument document = engine.BuildScheme(picture, request);
        const std::vector<std::uint8_t> bmp = EncodeBmp24(document.picture);
        WriteFileWhole(argv[2], std::string_view(reinterpret_cast<const char*>(bmp.data()), bmp.size()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "perceptual_job: %s\n", e.what());
        return 1;
    }
    return 0;
}
