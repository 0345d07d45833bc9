// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files on Windows, in the Win32 calls, with the protocol of runtime/file_store.h. Paths are
// UTF-8 here and UTF-16 in every call, and a long one is passed on with the \\?\ prefix, so that a
// program folder deep in a tree or named in Chinese works like any other. Nothing here decodes or
// re-encodes what a file holds: its bytes go in and out as they are.
//
// A replacement is written to a temporary file beside the file, flushed, and put in place by
// ReplaceFileW, which copes with the handles other copies keep on the old file (a rename over it would
// be refused while they are open). The old file goes to a name of our own on the way; if the writer is
// killed in that instant, the next copy that finds no file puts it back. What killed writers leave is
// swept away on the next save.
//
// The lock is LockFileEx on one byte far beyond any real size: it keeps other copies out and never
// blocks a plain reader. Every link, junction and other reparse point that stands for another name is
// refused; a file that a file system filter keeps with a reparse point of its own (a OneDrive
// placeholder, a deduplicated file) is a plain file.

#include "runtime/file_store.h"

#include <string>
#include <string_view>

namespace pelindra::win32 {

// The folder of the running program file (GetModuleFileNameW), without a trailing backslash; "" when
// it cannot be told.
std::string programDirectory();

// %APPDATA%\<application>, the roaming application data folder; "" when there is none. Nothing is
// created here.
std::string userDataDirectory(std::string_view application);

// The player's data beside the running program, and in the user's application data folder, which is
// made only when something is about to be kept there.
FileStore storeOfThisProgram(std::string_view application);

// Files in folders of the caller's: for tests and tools, which must leave the program's own alone.
FileStore storeIn(std::string programDirectory, std::string userDataDirectory);

} // namespace pelindra::win32
