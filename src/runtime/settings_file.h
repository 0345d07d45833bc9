// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files on disk. A file is only ever replaced whole and atomically: the new contents go to a
// temporary file in the same directory, which is flushed to the disk and then renamed over the old one,
// so that a crash at any moment leaves either the old file or the new one. A file that exists but cannot
// be read in full is never replaced, since what it holds would be lost.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pelindra::settings {

// Larger files are left alone, read as empty and never rewritten.
constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

// True for anything at the path, a directory included; false for a dangling link.
bool exists(const std::string& path);

// The whole file, or nothing when it is missing, not a regular file, unreadable or too large.
std::optional<std::string> readFile(const std::string& path);

// Whether writeItem at path would succeed: the directory takes new files, and what is at the path is
// either nothing or a regular file that can be read.
bool canWrite(const std::string& path);

std::string readItem(const std::string& path, std::string_view section, std::string_view item);

// False when nothing was written; the file is then as it was.
bool writeItem(const std::string& path, std::string_view section, std::string_view item,
               std::string_view value);

// Replaces the file at path with contents, following a link to an existing file.
bool replaceFile(const std::string& path, std::string_view contents);

} // namespace pelindra::settings
