#pragma once

#include <csignal>
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

} // namespace velmora
