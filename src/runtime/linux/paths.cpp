// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "paths.h"

#include "runtime/settings_store.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelindra::paths {
namespace {

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
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error).native();
    // A program file replaced while it runs is still where it was.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.ends_with(kDeleted))
        exe.resize(exe.size() - kDeleted.size());
    if (!exe.starts_with('/'))
        return {};
    return std::string(slashed::directoryOf(exe));
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
