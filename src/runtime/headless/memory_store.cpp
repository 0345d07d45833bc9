// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_store.h"

#include <memory>
#include <utility>

namespace pelindra::headless {
namespace {

using Status = FileOps::Status;
using Result = FileOps::Result;

const std::string* reasonIn(const MemoryStore::Files& files, std::string_view path)
{
    const auto it = files.find(path);
    return it == files.end() ? nullptr : &it->second;
}

const Result kDenied{Status::Failed, "Permission denied"};

// An open file keeps the contents it was opened with, as an open file on disk keeps the one it opened
// when another is put in its place; the same contents at the path count as the same file.
class MemoryFile final : public FileOps::File
{
public:
    MemoryFile(MemoryStore& store, std::string path, std::string contents)
        : store_(store), path_(std::move(path)), contents_(std::move(contents))
    {}

    Result tryLock() override
    {
        if (store_.lockedFiles.contains(path_))
            return {Status::Busy, {}};
        if (store_.beforeUpdate)
            store_.beforeUpdate(path_);
        return {};
    }

    bool isAt(std::string_view path) override
    {
        const auto* now = reasonIn(store_.files, path);
        return now != nullptr && *now == contents_;
    }

    Result readAll(std::string& contents) override
    {
        contents = contents_;
        return {};
    }

    Result replace(std::string_view contents) override
    {
        if (store_.unwritableDirectories.contains(slashed::directoryOf(path_)))
            return kDenied;
        if (const auto* why = reasonIn(store_.failingFiles, path_))
            return {Status::Failed, *why};
        store_.files[path_] = contents;
        return {};
    }

private:
    MemoryStore& store_;
    std::string path_;
    std::string contents_;
};

// Every directory is there; only the knobs break things.
class MemoryFiles final : public FileOps
{
public:
    explicit MemoryFiles(MemoryStore& store) : store_(store) {}

    std::string join(std::string_view directory, std::string_view name) override
    {
        return slashed::join(directory, name);
    }
    std::string directoryOf(std::string_view path) override
    {
        return std::string(slashed::directoryOf(path));
    }
    bool makeDirectories(std::string_view) override { return true; }

    Resolved resolve(std::string_view path) override
    {
        if (const auto* why = reasonIn(store_.refusedFiles, path))
            return {std::string(path), *why};
        return {std::string(path), {}};
    }

    bool exists(std::string_view path) override
    {
        return store_.files.contains(path) || store_.directories.contains(path);
    }

    Opened open(std::string_view path, Access) override
    {
        if (store_.directories.contains(path))
            return {nullptr, {Status::Failed, "Is a directory"}};
        const auto* contents = reasonIn(store_.files, path);
        if (contents == nullptr)
            return {nullptr, {Status::Missing, "No such file or directory"}};
        return {std::make_unique<MemoryFile>(store_, std::string(path), *contents), {}};
    }

    Result createExclusively(std::string_view path, std::string_view contents) override
    {
        if (exists(path))
            return {Status::Exists, {}};
        if (store_.unwritableDirectories.contains(slashed::directoryOf(path)))
            return kDenied;
        if (const auto* why = reasonIn(store_.failingFiles, path))
            return {Status::Failed, *why};
        store_.files.emplace(path, contents);
        return {};
    }

    Result probe(std::string_view path) override
    {
        return store_.unwritableDirectories.contains(slashed::directoryOf(path)) ? kDenied : Result{};
    }

private:
    MemoryStore& store_;
};

} // namespace

MemoryStore::MemoryStore(std::function<void(std::string)> note)
    : FileStore(std::make_unique<MemoryFiles>(*this)), note_(std::move(note))
{}

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
    return FileStore::check(path);
}

ConfigRead MemoryStore::read(std::string_view path)
{
    note("ReadConfigFile " + std::string(path));
    if (const auto* why = reasonIn(unreadableFiles, path))
        return {false, {}, *why};
    return FileStore::read(path);
}

UpdateResult MemoryStore::update(std::string_view file, const UpdateDecision& decide,
                                 std::chrono::milliseconds lockWait)
{
    const std::string path(file);
    note("UpdateConfigItems " + path + (lockWait < kLockWait ? " briefly" : ""));
    std::vector<ConfigItem> decided;
    auto result = FileStore::update(
        path,
        [&](const ConfigSnapshot& now) {
            decided = decide(now);
            return decided;
        },
        lockWait);
    switch (result.outcome) {
    case UpdateResult::Outcome::Written: {
        std::string line = "Wrote " + path;
        for (const auto& change : decided)
            line += " " + change.section + "." + change.item + "=\"" + change.value + "\"";
        note(std::move(line));
        break;
    }
    case UpdateResult::Outcome::Kept:
        note("Kept " + path);
        break;
    case UpdateResult::Outcome::Failed:
        note("Failed " + path + ": " + result.reason);
        break;
    }
    return result;
}

} // namespace pelindra::headless
