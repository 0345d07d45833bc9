// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversions.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace pelindra {

std::string toText(std::int32_t number)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

std::int32_t toInteger(std::string_view text)
{
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    // Unsigned, so that a second sign reads as no digits; a magnitude past 32 bits saturates.
    std::uint32_t magnitude = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), magnitude).ec ==
        std::errc::result_out_of_range)
        magnitude = std::numeric_limits<std::uint32_t>::max();
    constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(negative ? -std::min<std::int64_t>(magnitude, kLargest + 1)
                                              : std::min<std::int64_t>(magnitude, kLargest));
}

} // namespace pelindra
