// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stored_bytes.h"

#include <algorithm>

namespace pelindra::web {
namespace {

void appendUtf8(std::string& out, char32_t c)
{
    // How many continuation bytes follow the lead, six bits each.
    const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr unsigned kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    out.push_back(static_cast<char>(kLead[more] | (c >> (6 * more))));
    for (int shift = 6 * (more - 1); shift >= 0; shift -= 6)
        out.push_back(static_cast<char>(0x80 | ((c >> shift) & 0x3F)));
}

bool isHigh(char16_t unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool isLow(char16_t unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

} // namespace

std::u16string storedFormOf(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (const char byte : bytes)
        out.push_back(static_cast<unsigned char>(byte));
    return out;
}

std::string bytesOfStored(std::u16string_view stored)
{
    std::string out;
    out.reserve(stored.size());
    if (std::all_of(stored.begin(), stored.end(), [](char16_t unit) { return unit <= 0xFF; })) {
        for (const char16_t unit : stored)
            out.push_back(static_cast<char>(unit));
        return out;
    }
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char16_t unit = stored[i];
        if (isHigh(unit) && i + 1 < stored.size() && isLow(stored[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(stored[++i]) - 0xDC00));
            continue;
        }
        appendUtf8(out, isHigh(unit) || isLow(unit) ? char32_t{0xFFFD} : char32_t{unit});
    }
    return out;
}

} // namespace pelindra::web
