// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules and the window model speak UTF-8; every Windows call we make takes UTF-16.

#include <string>
#include <string_view>

namespace pelindra::win32 {

// Bytes that are not UTF-8 come out as U+FFFD, one for each bad sequence.
std::wstring toUtf16(std::string_view utf8);
// A lone surrogate comes out as U+FFFD.
std::string toUtf8(std::wstring_view utf16);

} // namespace pelindra::win32
