#include "cli/progress_line.h"

#include <unistd.h>

namespace velmora::cli {

namespace {

constexpr std::chrono::milliseconds kRedrawEvery{100};

} // namespace

ProgressLine::ProgressLine(std::FILE* out, std::chrono::milliseconds quietStart)
    : out_(out), terminal_(isatty(fileno(out)) == 1), quietStart_(quietStart)
{
}

ProgressLine::~ProgressLine() { End(); }

void ProgressLine::Begin(std::string file)
{
    End();
    file_ = std::move(file);
    started_ = Clock::now();
}

void ProgressLine::Pages(int done, int count)
{
    if (!terminal_)
        return;
    const Clock::time_point now = Clock::now();
    if (now - started_ < quietStart_ || (showing_ && done < count && now - shown_ < kRedrawEvery))
        return;
    std::fprintf(out_, "\rvelmora-cli: %s: page %d of %d", file_.c_str(), done, count);
    std::fflush(out_);
    showing_ = true;
    shown_ = now;
}

void ProgressLine::End()
{
    if (showing_) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
    showing_ = false;
}

} // namespace velmora::cli
