#pragma once

#include "files/output_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace velmora {

// Limits the size of the files this process writes, which stands in for a disk that fills up:
// writes beyond the limit fail with EFBIG ("File too large"), for root too. Child processes of a
// shell get the same with `trap '' XFSZ; ulimit -f BLOCKS`.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

// A write that must fail: to `file`, with this process's files limited to `sizeLimit` bytes
// (RLIM_INFINITY: no limit), for the system's `reason`.
struct FailingWrite {
    const char* name;
    std::filesystem::path file;
    rlim_t sizeLimit;
    const char* reason;
};

// The message of the FileWriteError that `write(w.file)` throws under the size limit of `w`; a
// write that succeeds is a test failure.
template <class Write>
std::string FailedWriteMessage(const FailingWrite& w, Write&& write)
{
    try {
        const FileSizeLimit limit(w.sizeLimit);
        write(w.file);
        ADD_FAILURE() << "no error";
    } catch (const FileWriteError& e) {
        return e.what();
    }
    return {};
}

} // namespace velmora
