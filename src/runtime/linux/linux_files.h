// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files on Linux. A replacement is written to an unnamed file (O_TMPFILE) in the target's
// directory, flushed, named and renamed over the old file, and then the directory is flushed too; copies
// that killed writers left behind are cleared away on the next save.
//
// The lock is an open file description lock, which local file systems and NFS both give. Where the file
// system gives none (ENOLCK, EOPNOTSUPP, EINVAL), an update goes ahead without one.
//
// Links: a link is followed only when the link and the file it finally leads to both belong to the user
// running the program.

#include "runtime/file_ops.h"
#include "runtime/file_store.h"

#include <functional>
#include <string>
#include <string_view>

namespace pelindra::settings {

// Takes the exclusive lock on an open file without waiting: 0 once it is held, else -1 with errno, which
// is EAGAIN or EACCES while another holds it. Tests stand in for file systems that lock otherwise.
using TryLock = std::function<int(int fd)>;
int tryOfdLock(int fd);

class LinuxFiles final : public FileOps
{
public:
    explicit LinuxFiles(TryLock tryLock = tryOfdLock);

    std::string join(std::string_view directory, std::string_view name) override;
    std::string directoryOf(std::string_view path) override;
    bool makeDirectories(std::string_view path) override;
    Resolved resolve(std::string_view path) override;
    bool exists(std::string_view path) override;
    Opened open(std::string_view path, Access access) override;
    Result createExclusively(std::string_view path, std::string_view contents) override;
    Result probe(std::string_view path) override;

private:
    TryLock tryLock_;
};

// The player's data beside the running program, and in the per-user data directory of application, which
// is made only when something is about to be kept there.
FileStore storeOfThisProgram(std::string_view application);

// Files in directories of the caller's: for tests and tools, which must leave the program's own alone.
FileStore storeIn(std::string programDirectory, std::string userDataDirectory, TryLock tryLock = tryOfdLock);

} // namespace pelindra::settings
