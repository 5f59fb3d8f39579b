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
    std::string saved;
    try {
        saved = velmora::SchemeFileText(velmora::ParseSchemeFile(text));
    } catch (const velmora::SchemeFileError&) {
        return 0; // a refused file is a good answer
    }
    // What was read is a scheme: saved, it must open again, to the same file.
    try {
        if (velmora::SchemeFileText(velmora::ParseSchemeFile(saved)) != saved)
            __builtin_trap();
    } catch (const velmora::SchemeFileError&) {
        __builtin_trap();
    }
    return 0;
}
