// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelindra {

// Decimal digits, with "-" before a negative number.
std::string toText(std::int32_t number);

// Reads a decimal integer the way a stored or typed number is meant:
//   - leading spaces and tabs are skipped;
//   - then an optional "+" or "-";
//   - then the digits that follow, up to the first byte that is not a digit;
//   - a value beyond the 32-bit range saturates at INT32_MIN or INT32_MAX.
// Anything without a digit in that place gives 0, "" included. Only bytes of the view are read.
std::int32_t toInteger(std::string_view text);

} // namespace pelindra
