#pragma once

#include <string>

namespace velmora::cli {

// velmora-cli is a small front (front.cpp) and modules it loads when a job needs them: the engine,
// which makes the scheme and writes its files, and the Qt parts (qt_jobs.h). The modules lie
// beside the program in the build tree, and in their own folder under the libraries' once
// installed (VELMORA_CLI_MODULES_FOLDER, relative to the programs' folder).
#ifdef _WIN32
inline constexpr char kEngineModule[] = "velmora-cli-engine.dll";
#else
inline constexpr char kEngineModule[] = "velmora-cli-engine.so";
#endif

struct ModuleEntry {
    void* function = nullptr;
    std::string failure; // "cannot load <path>, which <role>: <the system's reason>"; empty once loaded
};

// Loads the module `file` and finds its function `entry`. A failure is returned, not thrown: the
// front links libstdc++ in, and a sanitizer's runtime, which takes over the throwing of
// exceptions, would find no shared libstdc++ to hand them on to.
ModuleEntry LoadModuleEntry(const char* file, const char* entry, const char* role);

} // namespace velmora::cli
