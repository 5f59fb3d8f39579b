#include "run_folder.h"

#include "file_system_calls.h"
#include "random_name.h"

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

namespace velmora {

namespace fs = std::filesystem;

namespace {

// A folder is made under a name the sweep passes over, locked, and only then given its run name:
// a later run never mistakes a folder being set up for one whose owner has gone.
constexpr char kNewPrefix[] = ".velmora-new-";
constexpr char kLockName[] = "lock";
constexpr int kNameAttempts = 100;

#ifdef _WIN32
int MakePrivateFolder(const fs::path& path) { return _wmkdir(path.c_str()); }
// Windows keeps an open file from being deleted: the open lock file is the lock, and a folder
// whose lock file can be deleted has no owner left.
int TakeLock(const fs::path& path, bool create)
{
    return _wopen(path.c_str(), (create ? _O_CREAT | _O_EXCL : 0) | _O_RDWR | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
bool OwnerHasGone(const fs::path& folder)
{
    std::error_code error;
    return fs::remove(folder / kLockName, error) && !error;
}
void ReleaseLock(int fd) { _close(fd); }
#else
int MakePrivateFolder(const fs::path& path) { return ::mkdir(path.c_str(), 0700); }
int TakeLock(const fs::path& path, bool create)
{
    const int fd = ::open(path.c_str(), (create ? O_CREAT | O_EXCL : 0) | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
// Only this user's own folders are touched, and only when their lock is free. A run folder without
// its lock file is being removed, or was by a run killed while it removed it: a folder gets its
// run name only once locked.
bool OwnerHasGone(const fs::path& folder)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return false;
    const int fd = TakeLock(folder / kLockName, false);
    if (fd < 0)
        return errno == ENOENT;
    ::close(fd); // the folder goes at once; a run that takes the lock meanwhile removes it as well
    return true;
}
void ReleaseLock(int fd) { ::close(fd); }
#endif

// A folder still under its first name is being set up, for microseconds; one that has been for a
// minute was left by a run killed in between.
bool SetUpLongAgo(const fs::path& folder)
{
    std::error_code error;
    const auto written = fs::last_write_time(folder, error);
    return !error && fs::is_directory(fs::symlink_status(folder, error)) &&
           fs::file_time_type::clock::now() - written > std::chrono::minutes(1);
}

// Removes the run folders in `parent` that their runs left behind.
void SweepLeftovers(const fs::path& parent)
{
    std::error_code error;
    for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const bool leftover = (name.starts_with(RunFolder::kNamePrefix) && OwnerHasGone(it->path())) ||
                              (name.starts_with(kNewPrefix) && SetUpLongAgo(it->path()));
        if (!leftover)
            continue;
        std::error_code ignored;
        fs::remove_all(it->path(), ignored); // links inside are removed, not followed
    }
}

std::mutex registryMutex;
std::map<fs::path, std::weak_ptr<RunFolder>>& Registry()
{
    static std::map<fs::path, std::weak_ptr<RunFolder>> registry;
    return registry;
}

} // namespace

std::shared_ptr<RunFolder> RunFolder::In(const fs::path& parent, std::error_code& error)
{
    error.clear();
    fs::path key = fs::absolute(parent.empty() ? fs::path(".") : parent, error).lexically_normal();
    if (error)
        return nullptr;
    const std::lock_guard lock(registryMutex);
    if (std::shared_ptr<RunFolder> existing = Registry()[key].lock())
        return existing;

    SweepLeftovers(key);
    int reason = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string letters = RandomNamePart();
        const fs::path made = key / (kNewPrefix + letters);
        if (MakePrivateFolder(made) != 0) {
            reason = errno;
            if (reason == EEXIST)
                continue;
            break;
        }
        const int lockFd = TakeLock(made / kLockName, true);
        reason = errno;
        const fs::path named = key / (kNamePrefix + letters);
        if (lockFd >= 0) {
            fs::rename(made, named, error);
            reason = error.value();
        }
        if (lockFd < 0 || error) {
            if (lockFd >= 0)
                ReleaseLock(lockFd);
            fs::remove_all(made, error);
            break;
        }
        std::shared_ptr<RunFolder> folder(new RunFolder);
        folder->key_ = key;
        folder->path_ = named;
        folder->lock_ = lockFd;
        Registry()[key] = folder;
        return folder;
    }
    error.assign(reason != 0 ? reason : EEXIST, std::generic_category());
    return nullptr;
}

RunFolder::~RunFolder()
{
    const std::lock_guard lock(registryMutex);
    if (lock_ >= 0)
        ReleaseLock(lock_);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    const auto entry = Registry().find(key_);
    if (entry != Registry().end() && entry->second.expired())
        Registry().erase(entry);
}

} // namespace velmora
