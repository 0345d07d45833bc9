// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include "runtime/settings_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pelindra::settings {
namespace {

// What went wrong, and the system's word for why.
std::string because(std::string_view what, int error = errno)
{
    return std::string(what) + ": " + std::strerror(error);
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
    const auto prefix = std::string(fileNameOf(target)) + ".tmp-";
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
    const std::string dir(directoryOf(target));
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
    if (Fd unnamed(openUnnamed(std::string(directoryOf(target)))); unnamed) {
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

std::optional<std::string> readTarget(const std::string& target)
{
    Fd fd(openTarget(target, O_RDONLY));
    if (!fd)
        return std::nullopt;
    return readOpen(fd.get());
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

using Clock = std::chrono::steady_clock;
using Outcome = UpdateResult::Outcome;

UpdateResult failed(std::string reason)
{
    return {Outcome::Failed, std::move(reason)};
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

// Polled rather than blocking, so that a copy that hangs while it holds the lock cannot hang this one as
// well. Why the lock could not be had, or nothing once it is held or there is none to be had.
std::optional<std::string> takeLock(int fd, const TryLock& tryLock, Clock::time_point deadline,
                                    std::chrono::milliseconds wait)
{
    for (;;) {
        if (tryLock(fd) == 0)
            return std::nullopt;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (noLocksHere(error))
            return std::nullopt;
        if (error != EAGAIN && error != EACCES)
            return because("it could not be locked", error);
        const auto now = Clock::now();
        if (now >= deadline)
            return "another program held it locked for more than " + std::to_string(wait.count()) + " ms";
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(10), deadline - now));
    }
}

// The first file at target, made whole before anyone can see it: nothing to lock, so a link that fails
// when another copy got there first. Nothing means that one did, and the update starts again.
std::optional<UpdateResult> create(const std::string& target, const UpdateDecision& decide)
{
    const auto items = decide(ConfigSnapshot{});
    if (items.empty())
        return UpdateResult{Outcome::Kept, {}};
    const auto staged = stage(target, applyConfigItems({}, items), std::nullopt);
    if (!staged)
        return failed(std::strerror(errno));
    if (::link(staged->c_str(), target.c_str()) == 0) {
        ::unlink(staged->c_str());
        if (!settle(target))
            return failed(std::strerror(errno));
        return UpdateResult{Outcome::Written, {}};
    }
    if (errno == EEXIST) {
        ::unlink(staged->c_str());
        return std::nullopt;
    }
    // A file system without hard links gets the rename, which only loses to a copy making the file in
    // the same instant.
    if (!install(*staged, target))
        return failed(std::strerror(errno));
    return UpdateResult{Outcome::Written, {}};
}

// One round of the lock protocol on target. Nothing means that another copy replaced or made the file
// meanwhile, and the update starts again on the file that is there now.
std::optional<UpdateResult> attempt(const std::string& target, const UpdateDecision& decide,
                                    Clock::time_point deadline, std::chrono::milliseconds wait,
                                    const TryLock& tryLock)
{
    Fd fd(openTarget(target, O_RDWR));
    if (!fd) {
        if (errno == ENOENT)
            return create(target, decide);
        return failed(because("it cannot be opened for writing"));
    }
    if (auto refusal = takeLock(fd.get(), tryLock, deadline, wait))
        return failed(std::move(*refusal));
    struct stat locked
    {};
    struct stat named
    {};
    if (::fstat(fd.get(), &locked) != 0)
        return failed(because("it cannot be read"));
    if (::lstat(target.c_str(), &named) != 0 || named.st_dev != locked.st_dev ||
        named.st_ino != locked.st_ino)
        return std::nullopt;
    auto contents = readOpen(fd.get());
    if (!contents)
        return failed(because("it cannot be read"));
    const ConfigSnapshot now{true, std::move(*contents)};
    const auto items = decide(now);
    if (items.empty())
        return UpdateResult{Outcome::Kept, {}};
    const Keep keep{static_cast<mode_t>(locked.st_mode & 07777), locked.st_uid, locked.st_gid};
    const auto staged = stage(target, applyConfigItems(now.contents, items), keep);
    if (!staged || !install(*staged, target))
        return failed(std::strerror(errno));
    return UpdateResult{Outcome::Written, {}};
}

} // namespace

FileCheck check(const std::string& path)
{
    using Verdict = FileCheck::Verdict;
    const auto where = resolve(path);
    if (where.refused)
        return {Verdict::Refused, where.reason};
    if (lexists(where.target)) {
        if (!readTarget(where.target))
            return {Verdict::Unwritable, because("it cannot be read")};
        if (!Fd(openTarget(where.target, O_RDWR)))
            return {Verdict::Unwritable, because("it cannot be opened for writing")};
    }
    const auto probe = temporaryName(where.target);
    if (!Fd(::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)))
        return {Verdict::Unwritable, std::strerror(errno)};
    ::unlink(probe.c_str());
    return {};
}

ConfigRead read(const std::string& path)
{
    const auto where = resolve(path);
    if (where.refused)
        return {false, {}, where.reason};
    if (!lexists(where.target))
        return {true, {}, {}};
    auto contents = readTarget(where.target);
    if (!contents)
        return {false, {}, because("it cannot be read")};
    return {true, {true, std::move(*contents)}, {}};
}

std::string readItem(const std::string& path, std::string_view section, std::string_view item)
{
    return read(path).snapshot.item(section, item);
}

int tryOfdLock(int fd)
{
    struct flock lock
    {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock);
}

UpdateResult update(const std::string& path, const UpdateDecision& decide, std::chrono::milliseconds lockWait,
                    const TryLock& tryLock)
{
    const auto where = resolve(path);
    if (where.refused)
        return failed(where.reason);
    const auto deadline = Clock::now() + lockWait;
    for (;;) {
        if (auto result = attempt(where.target, decide, deadline, lockWait, tryLock))
            return std::move(*result);
        if (Clock::now() >= deadline)
            return failed("other programs kept replacing it for more than " +
                          std::to_string(lockWait.count()) + " ms");
    }
}

} // namespace pelindra::settings
