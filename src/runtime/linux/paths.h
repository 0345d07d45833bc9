// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the program and its player's data live, as the bytes the file system names them by. Nothing
// here decodes a path as text: a directory named in GB18030, or in any bytes at all, is as good as any.

#include <string>
#include <string_view>

namespace pelindra::paths {

// The directory of the running program file, without a trailing separator; "" when it cannot be told.
std::string programDirectory();

// $XDG_DATA_HOME/<application>, or ~/.local/share/<application>; "" when there is no home to put it in.
// Nothing is created here.
std::string userDataDirectory(std::string_view application);

// Makes the directory and those above it that are missing, private to the user. True when it is there.
bool makeDirectories(const std::string& path);

} // namespace pelindra::paths
