// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings files in a file system, whichever one its FileOps speak for. A file is only ever replaced
// whole and atomically, so that a crash at any moment leaves either the old file or the new one. A file
// that exists but cannot be read in full is never replaced, since what it holds would be lost; nor is
// one that this user may not open for writing, whose owner meant it to stay as it is.
//
// The lock is taken on the file itself, opened for reading and writing, which leaves no file of its own
// behind. A writer replaces the file, so whoever gets the lock next checks that the path still names the
// file it locked, and starts again on the new one if not. A file that does not exist yet has nothing to
// lock: it is made whole, in a way that fails if another copy made it first, and then the update starts
// again on it. Where the file system has no locks to give at all, the update goes ahead without one:
// the save still rereads and compares just before its atomic replacement, and would otherwise never
// succeed there. The lock is polled rather than waited on, so that a copy that hangs while it holds the
// lock cannot hang this one as well.
//
// Links are followed only as far as the file system's link rule allows (FileOps::resolve): a link
// planted in a shared directory must not make the program read or replace somebody else's file.

#include "file_ops.h"
#include "settings_store.h"

#include <memory>
#include <optional>

namespace pelindra {

class FileStore : public SettingsStore
{
public:
    explicit FileStore(std::unique_ptr<FileOps> files, std::string programDirectory = {},
                       std::string userDataDirectory = {});

    std::string join(std::string_view directory, std::string_view name) override;
    // Usable when the link rule allows the file, the directory takes new files, and what is at the path
    // is either nothing or a regular file that can be read and opened for writing.
    FileCheck check(std::string_view path) override;
    ConfigRead read(std::string_view path) override;
    // The per-user data directory is made on the way, when the file is to be kept there.
    UpdateResult update(std::string_view path, const UpdateDecision& decide,
                        std::chrono::milliseconds lockWait) override;

private:
    using Clock = std::chrono::steady_clock;

    std::optional<UpdateResult> attempt(const std::string& target, const UpdateDecision& decide,
                                        Clock::time_point deadline, std::chrono::milliseconds wait);
    std::optional<UpdateResult> create(const std::string& target, const UpdateDecision& decide);

    std::unique_ptr<FileOps> files_;
};

} // namespace pelindra
