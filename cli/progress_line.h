#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace velmora::cli {

// "chart.pdf: page 12 of 304" on one line of stderr, rewritten as the pages go, for a file that
// takes longer than about a second to write. Says nothing when stderr is not a terminal, so logs
// and pipes get no control characters.
class ProgressLine {
public:
    // A file written in less than `quietStart` shows nothing.
    explicit ProgressLine(std::FILE* out = stderr, std::chrono::milliseconds quietStart = std::chrono::seconds(1));
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine();

    // Starts the count for `file`.
    void Begin(std::string file);
    void Pages(int done, int count);
    // Ends the line, if one was shown.
    void End();

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool terminal_;
    std::chrono::milliseconds quietStart_;
    std::string file_;
    Clock::time_point started_{};
    Clock::time_point shown_{};
    bool showing_ = false;
};

} // namespace velmora::cli
