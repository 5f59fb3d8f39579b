#pragma once

#include <string>

namespace velmora {

// The library of a picture kind, opened the first time a file of that kind is decoded rather than
// linked: what it brings with it (libheif's HEVC and AV1 codecs; libtiff's Lerc, JBIG, Zstandard and
// LZMA) would otherwise cost every run of the programs its loading, though few runs read such a
// file. Once opened it stays loaded for the rest of the run: the codecs it loads in turn are not
// meant to be unloaded.
class DecoderLibrary {
public:
    // `kind` names the picture kind in messages ("HEIF"), `soname` is the library's file.
    DecoderLibrary(const char* kind, const char* soname);

    // Sets `function` to the library's function `name`, or to null; a missing function makes the
    // library unavailable.
    template <class Function>
    void Resolve(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(Find(name));
    }

    // Throws the PictureError "the HEIF file cannot be read: the HEIF library is not available
    // (<the system's reason>)" when the library or one of its functions is missing.
    void CheckAvailable() const;

private:
    void* Find(const char* name);

    std::string kind_;
    std::string soname_;
    void* handle_ = nullptr;
    std::string failure_; // why the library cannot be used; empty while it can
};

} // namespace velmora

// A decoder lists its library's functions as F(name) in a macro of its own, FUNCTIONS, and
// declares with this the struct `Api`, a pointer for each of them beside the library, and
// `const Api& Loader()`, which opens the library and looks the functions up the first time it is
// called (check `library.CheckAvailable()` before calling them).
#define VELMORA_DECODER_LIBRARY(Api, Loader, FUNCTIONS, kind, soname)                                  \
    struct Api {                                                                                       \
        FUNCTIONS(VELMORA_LIBRARY_POINTER)                                                             \
        DecoderLibrary library{kind, soname};                                                          \
    };                                                                                                 \
    const Api& Loader()                                                                                \
    {                                                                                                  \
        static const Api loaded = [] {                                                                 \
            Api api;                                                                                   \
            FUNCTIONS(VELMORA_LIBRARY_RESOLVE)                                                         \
            return api;                                                                                \
        }();                                                                                           \
        return loaded;                                                                                 \
    }
#define VELMORA_LIBRARY_POINTER(name) decltype(&::name) name = nullptr;
#define VELMORA_LIBRARY_RESOLVE(name) api.library.Resolve(api.name, #name);
