// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_store.h"

#include <utility>

namespace pelindra::headless {
namespace {

std::string directoryOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string(".") : std::string(path.substr(0, slash));
}

} // namespace

MemoryStore::MemoryStore(std::function<void(std::string)> note) : note_(std::move(note)) {}

void MemoryStore::note(std::string line) const
{
    if (note_)
        note_(std::move(line));
}

std::string MemoryStore::programDirectory()
{
    note("GetProgramDirectory");
    return programDir;
}

std::string MemoryStore::userDataDirectory()
{
    note("GetUserDataDirectory");
    return userDataDir;
}

bool MemoryStore::exists(std::string_view path)
{
    note("FileExists " + std::string(path));
    return files.contains(path) || directories.contains(path);
}

FileCheck MemoryStore::check(std::string_view path)
{
    note("CheckConfigFile " + std::string(path));
    if (const auto it = refusedFiles.find(path); it != refusedFiles.end())
        return {FileCheck::Verdict::Refused, it->second};
    if (directories.contains(path))
        return {FileCheck::Verdict::Unwritable, "it is a directory"};
    if (unwritableDirectories.contains(directoryOf(path)))
        return {FileCheck::Verdict::Unwritable, "Permission denied"};
    return {};
}

ConfigRead MemoryStore::read(std::string_view path)
{
    note("ReadConfigFile " + std::string(path));
    return lookup(path);
}

ConfigRead MemoryStore::lookup(std::string_view path) const
{
    if (const auto it = refusedFiles.find(path); it != refusedFiles.end())
        return {false, {}, it->second};
    if (const auto it = unreadableFiles.find(path); it != unreadableFiles.end())
        return {false, {}, it->second};
    const auto it = files.find(path);
    if (it == files.end())
        return {true, {}, {}};
    return {true, {true, it->second}, {}};
}

UpdateResult MemoryStore::update(std::string_view file, const UpdateDecision& decide,
                                 std::chrono::milliseconds lockWait)
{
    using Outcome = UpdateResult::Outcome;
    const std::string path(file);
    auto fail = [&](std::string reason) {
        note("Failed " + path + ": " + reason);
        return UpdateResult{Outcome::Failed, std::move(reason)};
    };
    note("UpdateConfigItems " + path + (lockWait < kLockWait ? " briefly" : ""));
    if (const auto it = refusedFiles.find(path); it != refusedFiles.end())
        return fail(it->second);
    if (directories.contains(path))
        return fail("it is a directory");
    if (const auto it = lockedFiles.find(path); it != lockedFiles.end())
        return fail(it->second);
    if (beforeUpdate)
        beforeUpdate(path);
    const auto now = lookup(path);
    if (!now.ok)
        return fail(now.reason);
    const auto items = decide(now.snapshot);
    if (items.empty()) {
        note("Kept " + path);
        return {Outcome::Kept, {}};
    }
    if (unwritableDirectories.contains(directoryOf(path)))
        return fail("Permission denied");
    if (const auto it = failingFiles.find(path); it != failingFiles.end())
        return fail(it->second);
    std::string line = "Wrote " + path;
    for (const auto& change : items)
        line += " " + change.section + "." + change.item + "=\"" + change.value + "\"";
    note(std::move(line));
    files[path] = applyConfigItems(now.snapshot.contents, items);
    return {Outcome::Written, {}};
}

} // namespace pelindra::headless
