// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_store.h"

#include "profile_text.h"
#include "runtime.h"

#include <utility>

namespace pelindra {

std::string ConfigSnapshot::item(std::string_view section, std::string_view name) const
{
    return profile::read(contents, section, name).value_or(std::string{});
}

std::string applyConfigItems(std::string_view contents, const std::vector<ConfigItem>& items)
{
    std::string out(contents);
    for (const auto& change : items)
        out = profile::write(out, change.section, change.item, change.value);
    return out;
}

SettingsStore::SettingsStore(std::string programDirectory, std::string userDataDirectory)
    : programDirectory_(std::move(programDirectory)), userDataDirectory_(std::move(userDataDirectory))
{}

FileCheck SettingsStore::check(std::string_view path)
{
    auto stored = read(path);
    if (stored.ok)
        return {};
    return {FileCheck::Verdict::Unwritable, std::move(stored.reason)};
}

bool SettingsStore::exists(std::string_view path)
{
    const auto stored = read(path);
    return stored.ok && stored.snapshot.exists;
}

std::optional<std::string> decideContents(const ConfigSnapshot& now, const UpdateDecision& decide)
{
    const auto items = decide(now);
    if (items.empty())
        return std::nullopt;
    return applyConfigItems(now.contents, items);
}

namespace slashed {

std::string join(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    path.append("/").append(name);
    return path;
}

std::string_view directoryOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string_view fileNameOf(std::string_view path)
{
    return path.substr(path.rfind('/') + 1);
}

} // namespace slashed

std::string Runtime::GetProgramDirectory()
{
    return Store().programDirectory();
}

std::string Runtime::GetUserDataDirectory()
{
    return Store().userDataDirectory();
}

std::string Runtime::JoinPath(std::string_view directory, std::string_view name)
{
    return Store().join(directory, name);
}

bool Runtime::FileExists(std::string_view path)
{
    return Store().exists(path);
}

FileCheck Runtime::CheckConfigFile(std::string_view path)
{
    return Store().check(path);
}

ConfigRead Runtime::ReadConfigFile(std::string_view file)
{
    return Store().read(file);
}

UpdateResult Runtime::UpdateConfigItems(std::string_view file, const UpdateDecision& decide,
                                        std::chrono::milliseconds lockWait)
{
    return Store().update(file, decide, lockWait);
}

} // namespace pelindra
