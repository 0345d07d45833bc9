// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_text.h"

namespace pelindra::profile {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct Line
{
    std::size_t begin = 0; // first byte of the line's text
    std::size_t end = 0;   // one past its text, where the terminator starts
    std::size_t next = 0;  // one past its terminator
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

class Lines
{
public:
    explicit Lines(std::string_view text) : text_(text), pos_(text.starts_with(kBom) ? kBom.size() : 0) {}

    bool next(Line& line)
    {
        if (pos_ >= text_.size())
            return false;
        line.begin = pos_;
        std::size_t i = pos_;
        while (i < text_.size() && text_[i] != '\n' && text_[i] != '\r')
            ++i;
        line.end = i;
        if (i < text_.size())
            i += (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ? 2 : 1;
        line.next = pos_ = i;
        return true;
    }

    std::string_view text(const Line& line) const { return text_.substr(line.begin, line.end - line.begin); }

private:
    std::string_view text_;
    std::size_t pos_;
};

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (!line.starts_with('['))
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

struct ItemLine
{
    std::string_view key;
    std::size_t valueBegin = 0; // offsets within the line
    std::size_t valueEnd = 0;
};

std::optional<ItemLine> itemOf(std::string_view line)
{
    const auto body = trim(line);
    if (body.empty() || body.front() == ';' || body.front() == '#' || body.front() == '[')
        return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    ItemLine item;
    item.key = trim(line.substr(0, equals));
    if (item.key.empty())
        return std::nullopt;
    std::size_t b = equals + 1;
    std::size_t e = line.size();
    while (b < e && isBlank(line[b]))
        ++b;
    while (e > b && isBlank(line[e - 1]))
        --e;
    item.valueBegin = b;
    item.valueEnd = e;
    return item;
}

// Where one section of the file stands, and where its wanted item is, if anywhere.
struct Found
{
    bool section = false;
    std::size_t insertAt = 0; // just after the section's last non-blank line
    bool insertNeedsBreak = false;
    bool item = false;
    std::size_t valueBegin = 0; // offsets within the whole text
    std::size_t valueEnd = 0;
};

Found locate(std::string_view text, std::string_view section, std::string_view item)
{
    Found found;
    Lines lines(text);
    Line line;
    bool inside = false;
    while (lines.next(line)) {
        const auto content = lines.text(line);
        if (const auto name = sectionName(content)) {
            if (inside)
                break;
            if (sameName(*name, section)) {
                inside = found.section = true;
                found.insertAt = line.next;
                found.insertNeedsBreak = line.next == line.end;
            }
            continue;
        }
        if (!inside)
            continue;
        if (!trim(content).empty()) {
            found.insertAt = line.next;
            found.insertNeedsBreak = line.next == line.end;
        }
        if (const auto entry = itemOf(content); entry && sameName(entry->key, item)) {
            found.item = true;
            found.valueBegin = line.begin + entry->valueBegin;
            found.valueEnd = line.begin + entry->valueEnd;
            break;
        }
    }
    return found;
}

std::string_view lineEndingOf(std::string_view text)
{
    const auto at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    if (text[at] == '\n')
        return "\n";
    return (at + 1 < text.size() && text[at + 1] == '\n') ? "\r\n" : "\r";
}

} // namespace

std::optional<std::string> read(std::string_view contents, std::string_view section, std::string_view item)
{
    const auto found = locate(contents, section, item);
    if (!found.item)
        return std::nullopt;
    const auto value = contents.substr(found.valueBegin, found.valueEnd - found.valueBegin);
    return std::string(value.substr(0, kMaxValueBytes));
}

std::string write(std::string_view contents, std::string_view section, std::string_view item,
                  std::string_view value)
{
    const auto found = locate(contents, section, item);
    std::string out;
    out.reserve(contents.size() + section.size() + item.size() + value.size() + 8);
    if (found.item) {
        out.append(contents.substr(0, found.valueBegin));
        out.append(value);
        out.append(contents.substr(found.valueEnd));
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
