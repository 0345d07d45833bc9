// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files on disk. A file is only ever replaced whole and atomically: the new contents go to a
// temporary file in the same directory, which is flushed to the disk and then renamed over the old one,
// so that a crash at any moment leaves either the old file or the new one. A file that exists but cannot
// be read in full is never replaced, since what it holds would be lost.
//
// Links: a link is followed only when the link and the file it finally leads to both belong to the user
// running the program. Any other link is neither read nor written through, so that a link planted in a
// shared directory cannot make the program read or replace somebody else's file.

#include "runtime/runtime.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace pelindra::settings {

// Larger files are left alone, read as empty and never rewritten.
constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

// How long an update waits for another copy of the program to finish its own.
constexpr std::chrono::milliseconds kLockWait{5000};

// True for anything at the path, a directory included; false for a dangling link.
bool exists(const std::string& path);

// Whether an update at path could go ahead now: the link rule allows it, the directory takes new files,
// and what is at the path is either nothing or a regular file that can be read.
FileCheck check(const std::string& path);

std::string readItem(const std::string& path, std::string_view section, std::string_view item);

// Locks the file's directory against other copies of the program, reads the file, lets decide choose the
// items to write and writes them in one replacement. The lock goes with the call.
UpdateResult update(const std::string& path, const UpdateDecision& decide,
                    std::chrono::milliseconds lockWait = kLockWait);

} // namespace pelindra::settings
