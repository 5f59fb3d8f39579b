#include "cli/cli_module.h"

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder()
{
#ifdef _WIN32
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return fs::path(path).parent_path();
#else
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
#endif
}

fs::path ModulePath(const char* file)
{
    const fs::path folder = ProgramFolder();
    const fs::path beside = folder / file;
    std::error_code error;
    if (fs::exists(beside, error))
        return beside;
    return (folder / VELMORA_CLI_MODULES_FOLDER / file).lexically_normal();
}

} // namespace

ModuleEntry LoadModuleEntry(const char* file, const char* entry, const char* role)
{
    const fs::path module = ModulePath(file);
    const auto cannotLoad = [&](const std::string& reason) {
        return ModuleEntry{nullptr, "cannot load " + module.string() + ", which " + role + ": " + reason};
    };
#ifdef _WIN32
    HMODULE library = LoadLibraryW(module.c_str());
    if (!library)
        return cannotLoad("error " + std::to_string(GetLastError()));
    void* function = reinterpret_cast<void*>(GetProcAddress(library, entry));
#else
    void* library = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        return cannotLoad(reason ? reason : "unknown reason");
    }
    void* function = dlsym(library, entry);
#endif
    if (!function)
        return cannotLoad(std::string("it has no entry point ") + entry);
    return {function, {}};
}

} // namespace velmora::cli
