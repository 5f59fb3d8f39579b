#include "temp_bitmap.h"

#include "picture/bmp_codec.h"

namespace velmora {

OutputFile WriteTemporaryBitmap(const Bitmap& picture, const std::filesystem::path& folder)
{
    OutputFile file = OutputFile::Private("velmora-picture-", ".bmp", folder);
    EncodeBmp24(picture, [&](std::span<const std::uint8_t> piece) { file.Write(piece.data(), piece.size()); });
    file.Finish();
    return file;
}

} // namespace velmora
