// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "linux_files.h"

#include "paths.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pelindra::settings {
namespace {

using Status = FileOps::Status;
using Result = FileOps::Result;

// The system's words for why a call failed.
Result fault(int error = errno)
{
    return {Status::Failed, std::strerror(error)};
}

class Fd
{
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const auto n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string temporaryName(std::string_view path)
{
    static std::atomic<unsigned> counter{0};
    return std::string(path) + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// An unnamed file in dir where the file system offers one, so that a crash while writing leaves no stray
// file behind; only one between naming the finished file and renaming it can.
int openUnnamed(const std::string& dir)
{
#ifdef O_TMPFILE
    return ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    (void)dir;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// Takes away the finished copies that processes killed just before their rename left beside target.
// A copy whose writer still runs is its own business.
void sweepStale(const std::string& dir, const std::string& target)
{
    const auto prefix = std::string(slashed::fileNameOf(target)) + ".tmp-";
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const auto pid = static_cast<pid_t>(std::strtol(entry->d_name + prefix.size(), nullptr, 10));
        if (pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
    ::closedir(listing);
}

// A new name for target is only as lasting as the directory entry it changed; once it lasts, what killed
// writers left beside it can go. Sets errno on failure.
bool settle(const std::string& target)
{
    const std::string dir(slashed::directoryOf(target));
    if (Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); !fd || ::fsync(fd.get()) != 0)
        return false;
    sweepStale(dir, target);
    return true;
}

// What a replacement keeps of the file it replaces.
struct Keep
{
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

bool fill(int fd, std::string_view contents, const std::optional<Keep>& keep)
{
    if (keep) {
        // A file written through a link stays its owner's, with its group, as far as this user may keep
        // them; the mode after the owner, since a change of owner can clear set-id bits.
        // A refusal leaves the file this user's, which is as far as it may go; a cast to void would not
        // quiet the fortified headers, which ask for fchown's result to be looked at.
        if (keep->owner != ::geteuid() || keep->group != ::getegid()) {
            [[maybe_unused]] const bool kept = ::fchown(fd, keep->owner, keep->group) == 0;
        }
        if (::fchmod(fd, keep->mode) != 0)
            return false;
    }
    return writeAll(fd, contents) && ::fsync(fd) == 0;
}

// Writes contents to a new file beside target and returns its name once it is safely on disk.
std::optional<std::string> stage(const std::string& target, std::string_view contents,
                                 const std::optional<Keep>& keep)
{
    if (Fd unnamed(openUnnamed(std::string(slashed::directoryOf(target)))); unnamed) {
        if (!fill(unnamed.get(), contents, keep))
            return std::nullopt;
        // Named only once complete: a crash before this point leaves nothing behind.
        auto name = temporaryName(target);
        const auto self = "/proc/self/fd/" + std::to_string(unnamed.get());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return name;
    }
    auto name = temporaryName(target);
    Fd named(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!named)
        return std::nullopt;
    if (!fill(named.get(), contents, keep)) {
        const int error = errno;
        ::unlink(name.c_str());
        errno = error;
        return std::nullopt;
    }
    return name;
}

// The whole of an open file from its start; nothing when it is not a regular file, or too large.
std::optional<std::string> readOpen(int fd)
{
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > kMaxFileBytes) {
        errno = EINVAL;
        return std::nullopt;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    // To its end, which may have moved since fstat.
    for (char chunk[65536];;) {
        const auto n = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(data.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? std::optional(std::move(data)) : std::nullopt;
        if (data.size() + static_cast<std::size_t>(n) >= kMaxFileBytes) {
            errno = EFBIG;
            return std::nullopt;
        }
        data.append(chunk, static_cast<std::size_t>(n));
    }
}

// Non-blocking, so that a FIFO planted at the path cannot hang the program; no following, since the link
// rule has had its say already.
int openTarget(const std::string& target, int access)
{
    return ::open(target.c_str(), access | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
}

bool lexists(const std::string& path)
{
    struct stat st
    {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Puts staged in target's place and makes that last. Sets errno on failure.
bool install(const std::string& staged, const std::string& target)
{
    if (::rename(staged.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(staged.c_str());
        errno = error;
        return false;
    }
    return settle(target);
}

// A file system that gives no locks at all, as opposed to a lock that somebody holds.
bool noLocksHere(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == EINVAL || error == ENOSYS;
}

// An open file that holds its lock, if any, until it goes.
class LinuxFile final : public FileOps::File
{
public:
    LinuxFile(int fd, std::string path, const TryLock& tryLock)
        : fd_(fd), path_(std::move(path)), tryLock_(tryLock)
    {}

    Result tryLock() override
    {
        for (;;) {
            if (tryLock_(fd_.get()) == 0)
                return {};
            const int error = errno;
            if (error == EINTR)
                continue;
            if (noLocksHere(error))
                return {Status::NoLocks, {}};
            if (error == EAGAIN || error == EACCES)
                return {Status::Busy, {}};
            return fault(error);
        }
    }

    bool isAt(std::string_view path) override
    {
        struct stat open
        {};
        struct stat named
        {};
        // What cannot be looked at here cannot be read either, and readAll says why.
        if (::fstat(fd_.get(), &open) != 0)
            return true;
        return ::lstat(std::string(path).c_str(), &named) == 0 && named.st_dev == open.st_dev &&
               named.st_ino == open.st_ino;
    }

    Result readAll(std::string& contents) override
    {
        auto read = readOpen(fd_.get());
        if (!read)
            return fault();
        contents = std::move(*read);
        return {};
    }

    Result replace(std::string_view contents) override
    {
        struct stat st
        {};
        if (::fstat(fd_.get(), &st) != 0)
            return fault();
        const Keep keep{static_cast<mode_t>(st.st_mode & 07777), st.st_uid, st.st_gid};
        const auto staged = stage(path_, contents, keep);
        if (!staged || !install(*staged, path_))
            return fault();
        return {};
    }

private:
    Fd fd_;
    std::string path_;
    const TryLock& tryLock_;
};

} // namespace

int tryOfdLock(int fd)
{
    struct flock lock
    {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock);
}

LinuxFiles::LinuxFiles(TryLock tryLock) : tryLock_(std::move(tryLock)) {}

std::string LinuxFiles::join(std::string_view directory, std::string_view name)
{
    return slashed::join(directory, name);
}

std::string LinuxFiles::directoryOf(std::string_view path)
{
    return std::string(slashed::directoryOf(path));
}

bool LinuxFiles::makeDirectories(std::string_view path)
{
    return paths::makeDirectories(std::string(path));
}

FileOps::Resolved LinuxFiles::resolve(std::string_view given)
{
    const std::string path(given);
    struct stat link
    {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return {path, {}};
    if (link.st_uid != ::geteuid())
        return {path, "it is a link that belongs to another user"};
    char resolved[PATH_MAX];
    struct stat target
    {};
    if (::realpath(path.c_str(), resolved) == nullptr || ::stat(resolved, &target) != 0)
        return {path, "it is a link to nothing"};
    if (target.st_uid != ::geteuid())
        return {path, "it is a link to a file that belongs to another user"};
    return {resolved, {}};
}

bool LinuxFiles::exists(std::string_view path)
{
    return lexists(std::string(path));
}

FileOps::Opened LinuxFiles::open(std::string_view given, Access access)
{
    std::string path(given);
    const int fd = openTarget(path, access == Access::Read ? O_RDONLY : O_RDWR);
    if (fd < 0)
        return {nullptr, errno == ENOENT ? Result{Status::Missing, std::strerror(errno)} : fault()};
    return {std::make_unique<LinuxFile>(fd, std::move(path), tryLock_), {}};
}

// Made whole before anyone can see it, and then linked into place, which fails when another copy got
// there first.
FileOps::Result LinuxFiles::createExclusively(std::string_view given, std::string_view contents)
{
    const std::string target(given);
    const auto staged = stage(target, contents, std::nullopt);
    if (!staged)
        return fault();
    if (::link(staged->c_str(), target.c_str()) == 0) {
        ::unlink(staged->c_str());
        return settle(target) ? Result{} : fault();
    }
    if (errno == EEXIST) {
        ::unlink(staged->c_str());
        return {Status::Exists, {}};
    }
    // A file system without hard links gets the rename, which only loses to a copy making the file in
    // the same instant.
    return install(*staged, target) ? Result{} : fault();
}

FileOps::Result LinuxFiles::probe(std::string_view path)
{
    const auto probe = temporaryName(path);
    if (!Fd(::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)))
        return fault();
    ::unlink(probe.c_str());
    return {};
}

FileStore storeOfThisProgram(std::string_view application)
{
    return storeIn(paths::programDirectory(), paths::userDataDirectory(application));
}

FileStore storeIn(std::string programDirectory, std::string userDataDirectory, TryLock tryLock)
{
    return FileStore(std::make_unique<LinuxFiles>(std::move(tryLock)), std::move(programDirectory),
                     std::move(userDataDirectory));
}

} // namespace pelindra::settings
