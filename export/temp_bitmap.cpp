#include "temp_bitmap.h"

#include "scheme/bmp_codec.h"

namespace velmora {

OutputFile WriteTemporaryBitmap(const Bitmap& picture, const std::filesystem::path& folder)
{
    OutputFile file = OutputFile::Private("velmora-picture-", ".bmp", folder);
    file.Write(EncodeBmp24(picture));
    file.Finish();
    return file;
}

} // namespace velmora
