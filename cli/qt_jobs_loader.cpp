#include "cli/qt_jobs.h"

#include "cli/cli_module.h"

namespace velmora::cli {

const QtJobs& LoadQtJobs()
{
    using EntryPoint = const QtJobs* (*)();
    static const QtJobs& jobs = *reinterpret_cast<EntryPoint>(
        LoadModuleEntry(kQtJobsModule, "velmora_cli_qt_jobs", "writes workbooks and PDFs"))();
    return jobs;
}

} // namespace velmora::cli
