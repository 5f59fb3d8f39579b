#include "cli/qt_jobs.h"

#include "cli/cli_module.h"

#include <stdexcept>

namespace velmora::cli {

namespace {

const QtJobs& Load()
{
    const ModuleEntry loaded = LoadModuleEntry(kQtJobsModule, "velmora_cli_qt_jobs", "writes workbooks and PDFs");
    if (!loaded.function)
        throw std::runtime_error(loaded.failure);
    return *reinterpret_cast<const QtJobs* (*)()>(loaded.function)();
}

} // namespace

const QtJobs& LoadQtJobs()
{
    static const QtJobs& jobs = Load();
    return jobs;
}

} // namespace velmora::cli
