// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include "profile_text.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
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

// A link to an existing file is written through; anything else is replaced where it stands.
std::string targetOf(const std::string& path)
{
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

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

bool fill(int fd, std::string_view contents, std::optional<mode_t> mode)
{
    if (mode)
        ::fchmod(fd, *mode);
    return writeAll(fd, contents) && ::fsync(fd) == 0;
}

// Writes contents to a new file beside target and returns its name once it is safely on disk.
std::optional<std::string> stage(const std::string& dir, const std::string& target, std::string_view contents,
                                 std::optional<mode_t> mode)
{
    if (Fd unnamed(openUnnamed(dir)); unnamed) {
        if (!fill(unnamed.get(), contents, mode))
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
    if (!fill(named.get(), contents, mode)) {
        ::unlink(name.c_str());
        return std::nullopt;
    }
    return name;
}

} // namespace

bool exists(const std::string& path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> readFile(const std::string& path)
{
    // Non-blocking, so that a FIFO planted at the path cannot hang the program.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd)
        return std::nullopt;
    struct stat st
    {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > kMaxFileBytes)
        return std::nullopt;
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            // The file may have grown since fstat; read on until its end.
            if (data.size() >= kMaxFileBytes)
                return std::nullopt;
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

bool canWrite(const std::string& path)
{
    const auto target = targetOf(path);
    if (exists(target) && !readFile(target))
        return false;
    const auto probe = temporaryName(target);
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string readItem(const std::string& path, std::string_view section, std::string_view item)
{
    const auto contents = readFile(path);
    if (!contents)
        return {};
    return profile::read(*contents, section, item).value_or(std::string{});
}

bool writeItem(const std::string& path, std::string_view section, std::string_view item,
               std::string_view value)
{
    const auto target = targetOf(path);
    std::string contents;
    if (exists(target)) {
        auto old = readFile(target);
        if (!old)
            return false;
        contents = std::move(*old);
    }
    return replaceFile(target, profile::write(contents, section, item, value));
}

bool replaceFile(const std::string& path, std::string_view contents)
{
    const auto target = targetOf(path);
    const auto dir = directoryOf(target);
    struct stat old
    {};
    const bool hadFile = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const auto staged =
        stage(dir, target, contents, hadFile ? std::optional<mode_t>(old.st_mode & 07777) : std::nullopt);
    if (!staged)
        return false;
    if (::rename(staged->c_str(), target.c_str()) != 0) {
        ::unlink(staged->c_str());
        return false;
    }
    syncDirectory(dir);
    sweepStale(dir, target);
    return true;
}

} // namespace pelindra::settings
