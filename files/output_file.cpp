#include "output_file.h"

#include "file_system_calls.h"
#include "random_name.h"
#include "run_folder.h"
#include "system_reason.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// A temporary name keeps this much of the destination's name, so that it stays within the
// file system's limit of 255 bytes.
constexpr std::size_t kKeptNameLength = 120;
constexpr int kNameAttempts = 100;

#ifdef _WIN32
int OpenNew(const fs::path& path, int mode)
{
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  (mode & 0200) ? (_S_IREAD | _S_IWRITE) : _S_IREAD);
}
long WriteSome(int fd, const char* data, std::size_t size)
{
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int SyncFile(int fd) { return _commit(fd); }
int CloseFile(int fd) { return _close(fd); }
void CopyMode(int, const fs::path&) {}
void IdentityOf(int, std::uint64_t&, std::uint64_t&) {}
bool StillAt(std::uint64_t, std::uint64_t, const fs::path&) { return true; }
#else
int OpenNew(const fs::path& path, int mode)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, static_cast<mode_t>(mode));
}
long WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
int SyncFile(int fd)
{
    // A file system that cannot sync (EINVAL) has nothing more to report.
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : -1;
}
int CloseFile(int fd) { return ::close(fd); }
// A regular file being replaced keeps its permissions, but never setuid, setgid or sticky: those
// belonged to what it held. A link in the destination's place is not followed: the new file has
// the mode of any new file (0666 less the umask), never its target's.
void CopyMode(int fd, const fs::path& destination)
{
    struct stat status {};
    if (::lstat(destination.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        ::fchmod(fd, status.st_mode & 0777);
}
void IdentityOf(int fd, std::uint64_t& device, std::uint64_t& inode)
{
    struct stat status {};
    ::fstat(fd, &status);
    device = status.st_dev;
    inode = status.st_ino;
}
bool StillAt(std::uint64_t device, std::uint64_t inode, const fs::path& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_dev == device &&
           status.st_ino == inode;
}
#endif

// Creates a new file named prefix + random letters + suffix in `folder`; only this call can have
// created it. Returns the descriptor, or -1 with errno set.
int CreateUnique(const fs::path& folder, const fs::path::string_type& prefix, std::string_view suffix, int mode,
                 fs::path& created)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        fs::path name = prefix;
        name += RandomNamePart();
        name += std::string(suffix);
        created = folder / name;
        const int fd = OpenNew(created, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

OutputFile::OutputFile(fs::path destination) : destination_(std::move(destination)), replaces_(true)
{
    // A folder, or a device or pipe that was meant to be written into, is not put aside for a file.
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(destination_, ignored);
    if (fs::is_directory(status))
        FailWithErrno(EISDIR);
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status))
        Fail("not a regular file");
    fs::path::string_type prefix = destination_.filename().native();
    if (prefix.size() > kKeptNameLength)
        prefix.resize(kKeptNameLength);
    prefix += '.';
    const fs::path folder = destination_.has_parent_path() ? destination_.parent_path() : fs::path(".");
    std::error_code error;
    runFolder_ = RunFolder::In(folder, error);
    if (!runFolder_)
        Fail(error.message(), SystemErrorNumber(error));
    fd_ = CreateUnique(runFolder_->path(), prefix, ".part", 0666, path_);
    if (fd_ < 0)
        FailWithErrno(errno);
    IdentityOf(fd_, device_, inode_);
    CopyMode(fd_, destination_);
}

OutputFile OutputFile::Private(std::string_view prefix, std::string_view suffix, const fs::path& folder)
{
    OutputFile file;
    fs::path where = folder;
    if (where.empty()) {
        std::error_code error;
        where = fs::temp_directory_path(error);
        if (error)
            throw FileWriteError("cannot find the temporary folder: " + error.message(), error.message(),
                                 SystemErrorNumber(error));
    }
    file.destination_ = where / (std::string(prefix) + "*" + std::string(suffix));
    std::error_code error;
    file.runFolder_ = RunFolder::In(where, error);
    if (!file.runFolder_)
        file.Fail(error.message(), SystemErrorNumber(error));
    file.fd_ = CreateUnique(file.runFolder_->path(), fs::path(std::string(prefix)).native(), suffix, 0600, file.path_);
    if (file.fd_ < 0) {
        const int reason = errno;
        file.path_.clear();
        file.FailWithErrno(reason);
    }
    IdentityOf(file.fd_, file.device_, file.inode_);
    file.destination_ = file.path_;
    return file;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : destination_(std::move(other.destination_)), path_(std::exchange(other.path_, {})),
      fd_(std::exchange(other.fd_, -1)), replaces_(other.replaces_), committed_(other.committed_),
      device_(other.device_), inode_(other.inode_), buffer_(std::move(other.buffer_)),
      runFolder_(std::move(other.runFolder_))
{
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0)
        CloseFile(fd_);
    if (!committed_ && !path_.empty()) {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
}

void OutputFile::Write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        Fail("the file is already closed");
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > kBufferSize)
        Flush();
    if (size >= kBufferSize)
        WriteAll(bytes, size);
    else
        buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void OutputFile::Flush()
{
    WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void OutputFile::WriteAll(const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const long written = WriteSome(fd_, data + done, size - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            FailWithErrno(errno);
        }
        if (written == 0)
            FailWithErrno(ENOSPC);
        done += static_cast<std::size_t>(written);
    }
}

void OutputFile::Finish()
{
    if (fd_ < 0)
        return;
    Flush();
    if (SyncFile(fd_) != 0)
        FailWithErrno(errno);
    const int fd = std::exchange(fd_, -1);
    if (CloseFile(fd) != 0)
        FailWithErrno(errno);
}

void OutputFile::Commit()
{
    MoveIntoPlace();
    SyncFolder(destination_.has_parent_path() ? destination_.parent_path() : fs::path("."));
}

void OutputFile::MoveIntoPlace()
{
    if (!replaces_)
        Fail("a private file is not put in place");
    if (committed_)
        return;
    Finish();
    CheckUnreplaced();
    std::error_code error;
    fs::rename(path_, destination_, error);
    if (error)
        Fail(error.message(), SystemErrorNumber(error));
    committed_ = true;
}

void OutputFile::CheckUnreplaced() const
{
    if (!path_.empty() && !StillAt(device_, inode_, path_))
        Fail("its unfinished file " + path_.string() + " was replaced while it was written");
}

void OutputFile::Fail(std::string_view reason) const { Fail(reason, 0); }

void OutputFile::Fail(std::string_view reason, int errorNumber) const
{
    throw FileWriteError("cannot write " + destination_.string() + ": " + std::string(reason), std::string(reason),
                         errorNumber);
}

void OutputFile::FailWithErrno(int error) const { Fail(std::strerror(error), error); }

void SyncFolder(const fs::path& folder)
{
#ifndef _WIN32
    // Only the folder's entry of the renamed files is flushed; a system that cannot sync a folder
    // (EINVAL) keeps it as it keeps them.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (synced != 0 && error != EINVAL)
        throw FileWriteError("cannot write " + folder.string() + ": " + std::strerror(error), std::strerror(error), error);
#else
    (void)folder;
#endif
}

void WriteFileWhole(const fs::path& destination, std::string_view bytes)
{
    OutputFile file(destination);
    file.Write(bytes);
    file.Commit();
}

} // namespace velmora
