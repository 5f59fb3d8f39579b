#include "cli/qt_jobs.h"

#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

using EntryPoint = const QtJobs* (*)();

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

// Beside the program in the build tree; in the installed tree, in its own folder under the
// libraries' (VELMORA_QT_JOBS_FOLDER, relative to the programs' folder).
fs::path ModulePath()
{
    const fs::path folder = ProgramFolder();
    const fs::path beside = folder / kQtJobsModule;
    std::error_code error;
    if (fs::exists(beside, error))
        return beside;
    return (folder / VELMORA_QT_JOBS_FOLDER / kQtJobsModule).lexically_normal();
}

[[noreturn]] void CannotLoad(const fs::path& module, const std::string& reason)
{
    throw std::runtime_error("cannot load " + module.string() + ", which writes workbooks and PDFs: " + reason);
}

const QtJobs& Load()
{
    const fs::path module = ModulePath();
#ifdef _WIN32
    HMODULE library = LoadLibraryW(module.c_str());
    if (!library)
        CannotLoad(module, "error " + std::to_string(GetLastError()));
    const auto entry = reinterpret_cast<EntryPoint>(GetProcAddress(library, "velmora_cli_qt_jobs"));
#else
    void* library = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        CannotLoad(module, reason ? reason : "unknown reason");
    }
    const auto entry = reinterpret_cast<EntryPoint>(dlsym(library, "velmora_cli_qt_jobs"));
#endif
    if (!entry)
        CannotLoad(module, "it has no entry point velmora_cli_qt_jobs");
    return *entry();
}

} // namespace

const QtJobs& LoadQtJobs()
{
    static const QtJobs& jobs = Load();
    return jobs;
}

} // namespace velmora::cli
