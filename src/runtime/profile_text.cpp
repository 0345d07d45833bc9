// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_text.h"

#include <algorithm>

namespace pelindra::profile {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr auto npos = std::string_view::npos;

// Without its spaces and tabs at either end; all blank, the empty view at its end, where a value written
// into it goes.
std::string_view trim(std::string_view s)
{
    const auto first = std::min(s.find_first_not_of(" \t"), s.size());
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last == npos ? 0 : last + 1 - first);
}

bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

// The value the line gives item, as a view into the line; nothing for a line that does not set it.
std::optional<std::string_view> valueOf(std::string_view line, std::string_view item)
{
    const auto body = trim(line);
    const auto equals = line.find('=');
    if (body.empty() || body.front() == ';' || body.front() == '#' || body.front() == '[' || equals == npos)
        return std::nullopt;
    const auto key = trim(line.substr(0, equals));
    if (key.empty() || !sameName(key, item))
        return std::nullopt;
    return trim(line.substr(equals + 1));
}

// Where one section of the file stands, and where its wanted item is, if anywhere.
struct Found
{
    bool section = false;
    std::size_t insertAt = 0; // just after the section's last non-blank line
    bool insertNeedsBreak = false;
    std::optional<std::string_view> value; // a view into the whole text
};

Found locate(std::string_view text, std::string_view section, std::string_view item)
{
    Found found;
    bool inside = false;
    for (std::size_t at = text.starts_with(kBom) ? kBom.size() : 0; at < text.size();) {
        const auto end = std::min(text.find_first_of("\r\n", at), text.size());
        const auto line = text.substr(at, end - at);
        at = end == text.size() ? end : end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        const auto body = trim(line);
        if (const auto close = body.starts_with('[') ? body.find(']') : npos; close != npos) {
            if (inside)
                break;
            inside = found.section = sameName(trim(body.substr(1, close - 1)), section);
        }
        if (!inside || body.empty())
            continue;
        found.insertAt = at;
        found.insertNeedsBreak = end == text.size();
        if ((found.value = valueOf(line, item)))
            break;
    }
    return found;
}

std::string_view lineEndingOf(std::string_view text)
{
    const auto at = text.find_first_of("\r\n");
    if (at == npos)
        return "\r\n";
    return text.compare(at, 2, "\r\n") == 0 ? "\r\n" : text.substr(at, 1);
}

} // namespace

std::optional<std::string> read(std::string_view contents, std::string_view section, std::string_view item)
{
    const auto found = locate(contents, section, item);
    if (!found.value)
        return std::nullopt;
    return std::string(found.value->substr(0, kMaxValueBytes));
}

std::string write(std::string_view contents, std::string_view section, std::string_view item,
                  std::string_view value)
{
    const auto found = locate(contents, section, item);
    std::string out;
    out.reserve(contents.size() + section.size() + item.size() + value.size() + 8);
    if (found.value) {
        const auto begin = static_cast<std::size_t>(found.value->data() - contents.data());
        out.append(contents.substr(0, begin));
        out.append(value);
        out.append(contents.substr(begin + found.value->size()));
        return out;
    }
    const auto eol = lineEndingOf(contents);
    std::string entry;
    entry.append(item).append("=").append(value).append(eol);
    if (found.section) {
        out.append(contents.substr(0, found.insertAt));
        if (found.insertNeedsBreak)
            out.append(eol);
        out.append(entry);
        out.append(contents.substr(found.insertAt));
        return out;
    }
    out.append(contents);
    const bool endsOpen =
        !contents.empty() && contents.back() != '\n' && contents.back() != '\r' && contents != kBom;
    if (endsOpen)
        out.append(eol);
    out.append("[").append(section).append("]").append(eol).append(entry);
    return out;
}

} // namespace pelindra::profile
