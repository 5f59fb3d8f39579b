#include "decoder_library.h"

#include "picture_error.h"

#include <dlfcn.h>

namespace velmora {

DecoderLibrary::DecoderLibrary(const char* kind, const char* soname) : kind_(kind), soname_(soname)
{
    handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        failure_ = reason != nullptr ? reason : soname_ + " cannot be loaded";
    }
}

void* DecoderLibrary::Find(const char* name)
{
    if (handle_ == nullptr)
        return nullptr;
    void* function = dlsym(handle_, name);
    if (function == nullptr && failure_.empty())
        failure_ = soname_ + " has no function " + name;
    return function;
}

void DecoderLibrary::CheckAvailable() const
{
    if (!failure_.empty())
        throw PictureError("the " + kind_ + " file cannot be read: the " + kind_ + " library is not available (" +
                               failure_ + ")",
                           PictureFault::Unsupported);
}

} // namespace velmora
