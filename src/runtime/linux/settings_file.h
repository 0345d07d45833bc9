// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files on disk. A file is only ever replaced whole and atomically: the new contents go to a
// temporary file in the same directory, which is flushed to the disk and then renamed over the old one,
// so that a crash at any moment leaves either the old file or the new one. A file that exists but cannot
// be read in full is never replaced, since what it holds would be lost; nor is one that this user may
// not open for writing, whose owner meant it to stay as it is.
//
// The lock is an open file description lock on the file itself, opened for reading and writing, which
// local file systems and NFS both give, and which leaves no file of its own behind. A writer replaces
// the file, so whoever gets the lock next checks that the path still names the file it locked, and
// starts again on the new one if not. A file that does not exist yet has nothing to lock: it is made
// whole, by a link that fails if another copy made it first, and then the update starts again on it.
//
// Links: a link is followed only when the link and the file it finally leads to both belong to the user
// running the program. Any other link is neither read nor written through, so that a link planted in a
// shared directory cannot make the program read or replace somebody else's file.

#include "runtime/settings_store.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pelindra::settings {

// Larger files are left alone, read as empty and never rewritten.
constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

// Whether an update at path could go ahead now: the link rule allows it, the directory takes new files,
// and what is at the path is either nothing or a regular file that can be read.
FileCheck check(const std::string& path);

// The whole file as it is, without the lock; a missing file reads as not there.
ConfigRead read(const std::string& path);
std::string readItem(const std::string& path, std::string_view section, std::string_view item);

// Takes the exclusive lock on an open file without waiting: 0 once it is held, else -1 with errno, which
// is EAGAIN or EACCES while another holds it. Tests stand in for file systems that lock otherwise.
using TryLock = std::function<int(int fd)>;
int tryOfdLock(int fd);

// Locks the file against other copies of the program, reads it, lets decide choose the items to write
// and writes them in one replacement. The lock goes with the call. Where the file system has no locks
// to give at all (ENOLCK, EOPNOTSUPP, EINVAL), the update goes ahead without one: the save still
// rereads and compares just before its atomic replacement, and would otherwise never succeed there.
UpdateResult update(const std::string& path, const UpdateDecision& decide,
                    std::chrono::milliseconds lockWait = kLockWait, const TryLock& tryLock = tryOfdLock);

} // namespace pelindra::settings
