// velmora-cli's front: it answers --help and --version as cheaply as any small program starts, and
// hands every other command line to the engine (main.cpp), a module that brings libstdc++ and the
// picture libraries with it.
#include "cli/cli_module.h"
#include "cli/cli_options.h"
#include "cli/cli_version.h"
#include "cli/print_text.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    using namespace velmora::cli;
    // As the engine's parser does: a first argument --help or --version answers whatever follows.
    const std::string_view first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h")
        return PrintText(kCliUsage);
    if (first == "--version")
        return PrintText(VersionText() + '\n');
    const ModuleEntry engine = LoadModuleEntry(kEngineModule, "velmora_cli_engine", "makes the scheme and writes its files");
    if (!engine.function) {
        std::fprintf(stderr, "velmora-cli: %s\n", engine.failure.c_str());
        return 1;
    }
    return reinterpret_cast<int (*)(int, char**)>(engine.function)(argc, argv);
}
