// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include "runtime/profile_text.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pelindra::settings {
namespace {

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

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string describeErrno(int error)
{
    return std::strerror(error);
}

// An exclusive lock on a directory, for one read-compare-write. The file itself cannot carry the lock,
// since every write replaces it with a new one that the next writer would lock instead.
class DirectoryLock
{
public:
    DirectoryLock(const std::string& dir, std::chrono::milliseconds wait)
        : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY))
    {
        if (!fd_) {
            error_ = describeErrno(errno);
            return;
        }
        // Polled rather than blocking, so that a copy that hangs while it holds the lock cannot hang this
        // one as well.
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) {
                error_ = describeErrno(errno);
                return;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                error_ =
                    "another program held it locked for more than " + std::to_string(wait.count()) + " ms";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    bool locked() const { return locked_; }
    const std::string& error() const { return error_; }

private:
    Fd fd_;
    bool locked_ = false;
    std::string error_;
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

std::string temporaryName(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
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
    const auto slash = target.rfind('/');
    const auto prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp-";
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

bool syncDirectory(const std::string& dir)
{
    Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd && ::fsync(fd.get()) == 0;
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
        ::fchmod(fd, keep->mode);
    }
    return writeAll(fd, contents) && ::fsync(fd) == 0;
}

// Writes contents to a new file beside target and returns its name once it is safely on disk.
std::optional<std::string> stage(const std::string& dir, const std::string& target, std::string_view contents,
                                 const std::optional<Keep>& keep)
{
    if (Fd unnamed(openUnnamed(dir)); unnamed) {
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

std::optional<std::string> readTarget(const std::string& target)
{
    // Non-blocking, so that a FIFO planted at the path cannot hang the program; no following, since the
    // link rule has had its say already.
    Fd fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
    if (!fd)
        return std::nullopt;
    struct stat st
    {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > kMaxFileBytes) {
        errno = EINVAL;
        return std::nullopt;
    }
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            // The file may have grown since fstat; read on until its end.
            if (data.size() >= kMaxFileBytes) {
                errno = EFBIG;
                return std::nullopt;
            }
            data.resize(data.size() + 4096);
        }
        const auto n = ::read(fd.get(), data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return data;
}

bool lexists(const std::string& path)
{
    struct stat st
    {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Where reads and writes of path really go.
struct Resolved
{
    std::string target; // path itself, or the file an allowed link leads to
    bool refused = false;
    std::string reason; // why a link was refused
};

Resolved resolve(const std::string& path)
{
    struct stat link
    {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return {path, false, {}};
    if (link.st_uid != ::geteuid())
        return {path, true, "it is a link that belongs to another user"};
    char resolved[PATH_MAX];
    struct stat target
    {};
    if (::realpath(path.c_str(), resolved) == nullptr || ::stat(resolved, &target) != 0)
        return {path, true, "it is a link to nothing"};
    if (target.st_uid != ::geteuid())
        return {path, true, "it is a link to a file that belongs to another user"};
    return {resolved, false, {}};
}

// The whole file, or nothing when it is missing, refused, not a regular file, unreadable or too large.
std::optional<std::string> readFile(const std::string& path)
{
    const auto where = resolve(path);
    if (where.refused)
        return std::nullopt;
    return readTarget(where.target);
}

// Replaces the file at path with contents, keeping its owner, group and mode. Sets errno on failure.
bool replaceFile(const std::string& path, std::string_view contents)
{
    const auto where = resolve(path);
    if (where.refused) {
        errno = EPERM;
        return false;
    }
    const auto& target = where.target;
    const auto dir = directoryOf(target);
    struct stat old
    {};
    std::optional<Keep> keep;
    if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        keep = Keep{static_cast<mode_t>(old.st_mode & 07777), old.st_uid, old.st_gid};
    const auto staged = stage(dir, target, contents, keep);
    if (!staged)
        return false;
    if (::rename(staged->c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(staged->c_str());
        errno = error;
        return false;
    }
    syncDirectory(dir);
    sweepStale(dir, target);
    return true;
}

} // namespace

bool exists(const std::string& path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0;
}

FileCheck check(const std::string& path)
{
    using Verdict = FileCheck::Verdict;
    const auto where = resolve(path);
    if (where.refused)
        return {Verdict::Refused, where.reason};
    if (lexists(where.target) && !readTarget(where.target))
        return {Verdict::Unwritable, "it cannot be read: " + describeErrno(errno)};
    const auto probe = temporaryName(where.target);
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return {Verdict::Unwritable, describeErrno(errno)};
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

std::string readItem(const std::string& path, std::string_view section, std::string_view item)
{
    const auto contents = readFile(path);
    if (!contents)
        return {};
    return profile::read(*contents, section, item).value_or(std::string{});
}

UpdateResult update(const std::string& path, const UpdateDecision& decide, std::chrono::milliseconds lockWait)
{
    using Outcome = UpdateResult::Outcome;
    const auto where = resolve(path);
    if (where.refused)
        return {Outcome::Failed, where.reason};
    const DirectoryLock lock(directoryOf(where.target), lockWait);
    if (!lock.locked())
        return {Outcome::Failed, "its directory could not be locked: " + lock.error()};
    ConfigSnapshot now;
    if (lexists(where.target)) {
        auto contents = readTarget(where.target);
        if (!contents)
            return {Outcome::Failed, "it cannot be read: " + describeErrno(errno)};
        now.exists = true;
        now.contents = std::move(*contents);
    }
    const auto items = decide(now);
    if (items.empty())
        return {Outcome::Kept, {}};
    if (!replaceFile(where.target, applyConfigItems(now.contents, items)))
        return {Outcome::Failed, describeErrno(errno)};
    return {Outcome::Written, {}};
}

} // namespace pelindra::settings
