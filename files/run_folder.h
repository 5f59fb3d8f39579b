#pragma once

#include <filesystem>
#include <memory>
#include <system_error>

namespace velmora {

// A folder of this run's own, made beside the files it writes: every unfinished file of the run
// lives in it under a name nobody else can reach or replace (the folder is readable, writable and
// searchable by this user only), and is moved out into its destination once complete. Libraries
// that reopen a file by name (the workbook writer) are given such a name.
//
// The run holds a lock on the folder while it lives. A run killed before it could clean up leaves
// its folder behind, with the lock gone; the next run that makes a folder in the same place
// removes every such folder of this user's. Once the last file of the run in a folder is done
// with, the folder goes.
class RunFolder {
public:
    // The run's folder in `parent` (made on first use, shared while any file holds it), or none
    // with `error` set.
    static std::shared_ptr<RunFolder> In(const std::filesystem::path& parent, std::error_code& error);

    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    ~RunFolder();

    const std::filesystem::path& path() const { return path_; }

    // The names the run folders take, for telling them from the user's files.
    static constexpr char kNamePrefix[] = ".velmora-run-";

private:
    RunFolder() = default;

    std::filesystem::path path_;
    std::filesystem::path key_;
    int lock_ = -1;
};

} // namespace velmora
