// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files in the classic Windows profile layout:
//
//   [Section]
//   Item=value
//   ; comment
//
// Lines end in CR LF, LF or a lone CR; a UTF-8 byte order mark is skipped. Section and item names match
// without regard to ASCII letter case, and surrounding spaces and tabs are not part of a name or value.
// Only the first section of a name counts, and in it only the first item of a name, as Windows does.
// Everything is handled as bytes, so text in any encoding passes through untouched.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pelindra::profile {

// Longer stored values are cut to this many bytes when read; no value this program writes comes close.
constexpr std::size_t kMaxValueBytes = 255;

// The item's value, or nothing when the section or the item is missing.
std::optional<std::string> read(std::string_view contents, std::string_view section, std::string_view item);

// The contents with the item set to value. Only the value bytes of that item's line change; a missing
// item is added at the end of its section, a missing section at the end of the file, both with the line
// ending the file already uses (CR LF for a file that has none). Every other byte stays as it was.
std::string write(std::string_view contents, std::string_view section, std::string_view item,
                  std::string_view value);

} // namespace pelindra::profile
