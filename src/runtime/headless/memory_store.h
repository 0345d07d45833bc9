// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files in memory, for tests: a small file system that a test sets up, breaks at will and
// reads back, and that notes every call it receives.

#include "runtime/settings_store.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace pelindra::headless {

class MemoryStore final : public SettingsStore
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

    Files files;
    std::set<std::string, std::less<>> directories;           // paths that are directories
    std::set<std::string, std::less<>> unwritableDirectories; // where nothing can be created or replaced
    Files refusedFiles;                                       // links not to follow, with the reason
    Files failingFiles;                                       // where writes fail, with the reason
    Files lockedFiles;                                        // whose lock cannot be had, with the reason
    Files unreadableFiles;                                    // where reads fail, with the reason
    // Runs inside every update, under its lock, before the file is read: another copy at work.
    std::function<void(std::string_view file)> beforeUpdate;
    std::string programDir = "/opt/pelindra";
    std::string userDataDir = "/home/player/.local/share/Pelindra";

private:
    void note(std::string line) const;
    ConfigRead lookup(std::string_view path) const;

    std::function<void(std::string)> note_;
};

} // namespace pelindra::headless
