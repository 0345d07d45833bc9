// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_store.h"

#include <utility>

namespace pelindra::headless {
namespace {

const std::string* reasonIn(const MemoryStore::Files& files, std::string_view path)
{
    const auto it = files.find(path);
    return it == files.end() ? nullptr : &it->second;
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

FileCheck MemoryStore::check(std::string_view path)
{
    note("CheckConfigFile " + std::string(path));
    if (const auto* why = reasonIn(refusedFiles, path))
        return {FileCheck::Verdict::Refused, *why};
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
    for (const auto* failing : {&refusedFiles, &unreadableFiles})
        if (const auto* why = reasonIn(*failing, path))
            return {false, {}, *why};
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
    if (const auto* why = reasonIn(refusedFiles, path))
        return fail(*why);
    if (directories.contains(path))
        return fail("it is a directory");
    if (const auto* why = reasonIn(lockedFiles, path))
        return fail(*why);
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
    if (const auto* why = reasonIn(failingFiles, path))
        return fail(*why);
    std::string line = "Wrote " + path;
    for (const auto& change : items)
        line += " " + change.section + "." + change.item + "=\"" + change.value + "\"";
    note(std::move(line));
    files[path] = applyConfigItems(now.snapshot.contents, items);
    return {Outcome::Written, {}};
}

} // namespace pelindra::headless
