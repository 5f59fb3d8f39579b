#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A file that cannot be written. The message names the file and gives the system's reason:
// "cannot write out/chart.pdf: No space left on device".
class FileWriteError : public std::runtime_error {
public:
    explicit FileWriteError(const std::string& message) : std::runtime_error(message) {}
};

// Every file the programs write goes through this, so that a file is written whole or not at all.
//
// A file for the user is written under a new, unique name in its destination's folder; Commit()
// checks the last writes, the flush to disk and the close, and only then renames it over the
// destination. Until then, and after any failure, the destination keeps what it held, and the
// destructor removes the unfinished file. A destination that is a symbolic link is replaced by
// the new file, its target left alone; a folder, device or pipe in its place is an error; an
// existing file's permissions carry over.
//
// A private scratch file (Private()) has a unique name, is created exclusively and readable only
// by this user, and is removed by the destructor: other users and other runs can neither block
// it nor read or swap it.
//
// Writers that take a file name rather than bytes (the workbook library) write path() themselves
// and close it before Finish().
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
    // Finish(), then puts the file in the destination's place. Not for a private file.
    void Commit();

    [[noreturn]] void Fail(std::string_view reason) const;

private:
    OutputFile() = default;
    [[noreturn]] void FailWithErrno(int error) const;
    void Flush();
    void WriteAll(const char* data, std::size_t size);

    std::filesystem::path destination_;
    std::filesystem::path path_;
    int fd_ = -1;
    bool replaces_ = false;
    bool committed_ = false;
    std::vector<char> buffer_;
};

// Writes `bytes` to `destination` whole or not at all.
void WriteFileWhole(const std::filesystem::path& destination, std::string_view bytes);

} // namespace velmora
