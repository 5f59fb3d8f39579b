#include "scheme/picture_loader.h"
#include "scheme/bmp_codec.h"
#include "scheme/stretch.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    try {
        const velmora::Bitmap source = velmora::LoadPicture(argv[1]);
        velmora::WriteBmpFile("picture.bmp", velmora::StretchPointSampled(source, 100, 100));
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
