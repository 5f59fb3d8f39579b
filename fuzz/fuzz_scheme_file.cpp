// libFuzzer target for the scheme file reader: any input must give a scheme or a SchemeFileError,
// never a crash, a sanitizer report, a hang or a huge allocation. A scheme it gives must save and
// read back to the same file.
#include "scheme/scheme_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const velmora::SchemeDocument scheme = velmora::ParseSchemeFile(text);
        const std::string saved = velmora::SchemeFileText(scheme);
        if (velmora::SchemeFileText(velmora::ParseSchemeFile(saved)) != saved)
            __builtin_trap();
    } catch (const velmora::SchemeFileError&) {
        // A refused file is a good answer.
    }
    return 0;
}
