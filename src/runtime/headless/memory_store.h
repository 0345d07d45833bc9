// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files in memory, for tests: a small file system that a test sets up, breaks at will and
// reads back, under the same protocol as files on disk, and that notes every call it receives.

#include "runtime/file_store.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace pelindra::headless {

class MemoryStore final : public FileStore
{
public:
    // note hears a line for every call and outcome, such as `Wrote /opt/pelindra/data.dat Mybest.Score="3"`.
    explicit MemoryStore(std::function<void(std::string)> note = {});

    std::string programDirectory() override;
    std::string userDataDirectory() override;
    FileCheck check(std::string_view path) override;
    ConfigRead read(std::string_view path) override;
    UpdateResult update(std::string_view path, const UpdateDecision& decide,
                        std::chrono::milliseconds lockWait) override;

    // By path: a file's contents, or why it fails.
    using Files = std::map<std::string, std::string, std::less<>>;

    // Setting a file's contents here stands for a new file in its place, as another copy's save makes.
    Files files;
    std::set<std::string, std::less<>> directories;           // paths that are directories
    std::set<std::string, std::less<>> unwritableDirectories; // where nothing can be created or replaced
    Files refusedFiles;                                       // links not to follow, with the reason
    Files failingFiles;                                       // where writes fail, with the reason
    Files lockedFiles;     // whose lock another copy holds for longer than any update waits
    Files unreadableFiles; // where reads without the lock fail, with the reason
    // Runs in every round of an update once it holds the lock, before the file is read: another copy,
    // or the player's editor, at work.
    std::function<void(std::string_view file)> beforeUpdate;
    std::string programDir = "/opt/pelindra";
    std::string userDataDir = "/home/player/.local/share/Pelindra";

private:
    void note(std::string line) const;

    std::function<void(std::string)> note_;
};

} // namespace pelindra::headless
