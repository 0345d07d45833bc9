// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Arbitrary bytes against the settings-file text and the number conversion. An input is the contents of
// a settings file, optionally followed by the bytes 00 01 and then section 01 item 01 value; without
// that trailer the record's own section and item are written. The corpus files are plain settings files
// for that reason. Any broken rule aborts, and libFuzzer keeps the input that did it.

#include "runtime/conversions.h"
#include "runtime/profile_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace pelindra;

[[noreturn]] void broken(const char* rule, std::string_view detail = {})
{
    std::fprintf(stderr, "broken rule: %s\n", rule);
    if (!detail.empty()) {
        std::fputs("  at: ", stderr);
        for (const unsigned char c : detail)
            std::fprintf(stderr, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
        std::fputc('\n', stderr);
    }
    std::abort();
}

void require(bool holds, const char* rule, std::string_view detail = {})
{
    if (!holds)
        broken(rule, detail);
}

// --- Slow, plain readings of the documented rules, independent of the code under test.

// toInteger: blanks, a sign, the digits up to the first non-digit, saturated to 32 bits.
std::int32_t referenceInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::string digits;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        digits += text[i++];
    const auto firstSignificant = digits.find_first_not_of('0');
    digits = firstSignificant == std::string::npos ? "" : digits.substr(firstSignificant);
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits >= limit))
        return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return static_cast<std::int32_t>(negative ? -value : value);
}

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

struct RawLine
{
    std::size_t begin;
    std::string_view text;
};

// Lines end at CR LF, LF or a lone CR; a leading UTF-8 byte order mark is not part of the first line.
std::vector<RawLine> splitLines(std::string_view contents)
{
    std::vector<RawLine> lines;
    std::size_t at = contents.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at < contents.size()) {
        auto end = at;
        while (end < contents.size() && contents[end] != '\r' && contents[end] != '\n')
            ++end;
        lines.push_back({at, contents.substr(at, end - at)});
        if (end < contents.size() && contents[end] == '\r' && end + 1 < contents.size() &&
            contents[end + 1] == '\n')
            ++end;
        at = end + 1;
    }
    return lines;
}

// A header is "[", the name, "]" on a line of its own, blanks aside; what follows the first "]" does not
// matter. Returns the name of a header line.
bool headerName(std::string_view line, std::string_view& name)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[')
        return false;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    name = trimmed(line.substr(1, close - 1));
    return true;
}

// Where the first section of that name starts and where the section after it starts.
struct SectionSpan
{
    bool found = false;
    std::size_t begin = 0;
    std::size_t end = 0;
};

SectionSpan firstSection(std::string_view contents, std::string_view section)
{
    SectionSpan span;
    for (const auto& line : splitLines(contents)) {
        std::string_view name;
        if (!headerName(line.text, name))
            continue;
        if (span.found) {
            span.end = line.begin;
            return span;
        }
        if (sameIgnoringAsciiCase(name, section)) {
            span.found = true;
            span.begin = line.begin;
        }
    }
    span.end = contents.size();
    return span;
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool surroundedByBlanks(std::string_view s)
{
    return !s.empty() && (blank(s.front()) || blank(s.back()));
}

// Names that a settings file can hold at all: one line, no blanks around them, nothing that would make
// the header or the item line mean something else.
bool saneSection(std::string_view s)
{
    return !hasLineBreak(s) && !surroundedByBlanks(s) && s.find(']') == std::string_view::npos;
}

bool saneItem(std::string_view s)
{
    return !s.empty() && !hasLineBreak(s) && !surroundedByBlanks(s) &&
           s.find('=') == std::string_view::npos && s.front() != ';' && s.front() != '#' && s.front() != '[';
}

bool saneValue(std::string_view s)
{
    return !hasLineBreak(s) && !surroundedByBlanks(s);
}

void checkConversion(std::string_view text)
{
    const auto value = toInteger(text);
    require(value == referenceInteger(text), "toInteger follows its documented rule", text);
    require(toInteger(toText(value)) == value, "toInteger reads back what toText wrote", text);
}

void checkRead(std::string_view contents, std::string_view section, std::string_view item)
{
    const auto value = profile::read(contents, section, item);
    if (!value)
        return;
    require(value->size() <= profile::kMaxValueBytes, "a value read is cut to its limit", *value);
    require(!hasLineBreak(*value), "a value read holds no line break", *value);
    // Blanks inside an overlong value may end up at the end of what is left after the cut.
    const bool cut = value->size() == profile::kMaxValueBytes;
    require(value->empty() || (!blank(value->front()) && (cut || !blank(value->back()))),
            "a value read has no blanks around it", *value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view contents = input;
    std::string_view section = "Mybest";
    std::string_view item = "Score";
    std::string_view value = "7";
    if (const auto marker = input.rfind(std::string_view("\0\x01", 2)); marker != std::string_view::npos) {
        contents = input.substr(0, marker);
        auto rest = input.substr(marker + 2);
        const auto first = rest.find('\x01');
        section = rest.substr(0, first);
        rest = first == std::string_view::npos ? std::string_view{} : rest.substr(first + 1);
        const auto second = rest.find('\x01');
        item = rest.substr(0, second);
        value = second == std::string_view::npos ? std::string_view{} : rest.substr(second + 1);
    }

    for (const auto text : {contents, section, item, value})
        checkConversion(text);
    checkRead(contents, section, item);

    const auto written = profile::write(contents, section, item, value);
    checkRead(written, section, item);

    // Only the named section may change, or the end of the file where a missing section is added.
    const auto span = firstSection(contents, section);
    if (span.found) {
        const auto after = contents.substr(span.end);
        require(written.size() >= span.begin + after.size() &&
                    std::string_view(written).substr(0, span.begin) == contents.substr(0, span.begin),
                "the bytes before the section are kept", contents);
        require(std::string_view(written).ends_with(after), "the bytes after the section are kept", contents);
    } else {
        require(std::string_view(written).starts_with(contents), "a new section only adds to the end",
                contents);
    }

    if (saneSection(section) && saneItem(item) && saneValue(value)) {
        const auto back = profile::read(written, section, item);
        require(back.has_value(), "a written item can be read back", written);
        require(*back == value.substr(0, profile::kMaxValueBytes), "an item reads back as written", written);
        require(profile::write(written, section, item, value) == written,
                "writing the same value twice is one write", written);
        // The other item of the record, when it was there, is left alone.
        const std::string_view other = sameIgnoringAsciiCase(item, "Time") ? "Score" : "Time";
        require(profile::read(written, section, other) == profile::read(contents, section, other),
                "the section's other items keep their values", written);
    }
    return 0;
}
