#include "cli/print_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velmora::cli {

// Through C's stdio, which the front has without starting C++'s streams.
int PrintText(const std::string& text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 &&
        !std::ferror(stdout))
        return 0;
    const int reason = errno;
    std::fprintf(stderr, "velmora-cli: cannot write the output: %s\n",
                 reason != 0 ? std::strerror(reason) : "write error");
    return 1;
}

} // namespace velmora::cli
