#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

class RunFolder;

// A file that cannot be written. The message names the file and gives the system's reason:
// "cannot write out/chart.pdf: No space left on device". The reason alone and, where the system
// gave one, its error number go with it, for a shell that says the reason in its own language.
class FileWriteError : public std::runtime_error {
public:
    explicit FileWriteError(const std::string& message, std::string reason = {}, int errorNumber = 0)
        : std::runtime_error(message), reason_(std::move(reason)), errorNumber_(errorNumber)
    {
    }
    // The system's reason as the message gives it after the file's name; empty when unknown.
    const std::string& reason() const { return reason_; }
    // errno's value for the reason, or 0 where the reason is no system error.
    int errorNumber() const { return errorNumber_; }

private:
    std::string reason_;
    int errorNumber_ = 0;
};

// The user stopped a write before it was done. Writers let it pass as it is, and the files they
// had begun are dropped as after any failure; no message is due.
class WriteCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "the write was cancelled"; }
};

// Every file the programs write goes through this, so that a file is written whole or not at all.
//
// A file for the user is written under a new, unique name in the run's private folder beside its
// destination (RunFolder); Commit() checks the last writes, the flush to disk and the close, and
// only then moves it over the destination. Until then, and after any failure, the destination
// keeps what it held, and the destructor removes the unfinished file. A destination that is a
// symbolic link is replaced by the new file, its target left alone, and the new file has the mode
// of any new file (0666 less the umask); a folder, device or pipe in its place is an error; a
// replaced regular file's permission bits carry over, without setuid, setgid and sticky.
//
// A private scratch file (Private()) has a unique name in the run's private folder, is created
// exclusively and readable only by this user, and is removed by the destructor: other users and
// other runs can neither block it nor read or swap it.
//
// Writers that take a file name rather than bytes (the workbook library) write path() themselves
// and close it before Finish(); only this user can reach that name, and CheckUnreplaced() makes
// sure it still is the file created here.
//
// A run killed at any moment leaves at most its private folders, which the next run writing into
// the same folders removes.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path destination);
    // In `folder`, or the user's temporary folder when it is empty.
    static OutputFile Private(std::string_view prefix, std::string_view suffix, const std::filesystem::path& folder = {});

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&&) = delete;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Where the bytes go until Commit().
    const std::filesystem::path& path() const { return path_; }
    // The file that messages name: the destination, or a private file's own name.
    const std::filesystem::path& destination() const { return destination_; }

    // Throw FileWriteError.
    void Write(const void* data, std::size_t size);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void Write(const std::vector<std::uint8_t>& bytes) { Write(bytes.data(), bytes.size()); }
    // Writes what is buffered, syncs it to disk and closes the file; later calls do nothing.
    void Finish();
    // Finish(), then puts the file in the destination's place and flushes the destination's folder.
    // Not for a private file.
    void Commit();
    // Commit() without the flush of the folder: for writing several files as one, each finished
    // first, then all moved in a row, then their folder flushed once (SyncFolder).
    void MoveIntoPlace();
    // Fails when path() is no longer the file created here.
    void CheckUnreplaced() const;

    [[noreturn]] void Fail(std::string_view reason) const;
    // The system's reason: errno's value.
    [[noreturn]] void FailWithErrno(int error) const;

private:
    OutputFile() = default;
    [[noreturn]] void Fail(std::string_view reason, int errorNumber) const;
    void Flush();
    void WriteAll(const char* data, std::size_t size);

    std::filesystem::path destination_;
    std::filesystem::path path_;
    int fd_ = -1;
    bool replaces_ = false;
    bool committed_ = false;
    std::uint64_t device_ = 0, inode_ = 0; // of the file created at path_
    std::vector<char> buffer_;
    std::shared_ptr<RunFolder> runFolder_;
};

// Flushes a folder's entries to disk (the names files were given or moved to). Throws
// FileWriteError.
void SyncFolder(const std::filesystem::path& folder);

// Writes `bytes` to `destination` whole or not at all.
void WriteFileWhole(const std::filesystem::path& destination, std::string_view bytes);

} // namespace velmora
