// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "paths.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pelindra::paths {
namespace {

std::string linkTarget(const char* link)
{
    std::vector<char> buffer(256);
    for (;;) {
        const auto n = ::readlink(link, buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

} // namespace

std::string programDirectory()
{
    auto exe = linkTarget("/proc/self/exe");
    // A program file replaced while it runs is still where it was.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.ends_with(kDeleted))
        exe.resize(exe.size() - kDeleted.size());
    const auto slash = exe.rfind('/');
    if (exe.empty() || exe[0] != '/' || slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string userDataDirectory(std::string_view application)
{
    std::string base;
    // Relative values are invalid by the XDG rules and are ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        base = data;
    else if (const auto home = homeDirectory(); !home.empty())
        base = home + "/.local/share";
    else
        return {};
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/" + std::string(application);
}

bool makeDirectories(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const auto part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace pelindra::paths
