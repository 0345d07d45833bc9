// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The player's data in files on Linux: beside the program, or in the per-user data directory, which is
// made only when something is about to be kept there.

#include "runtime/settings_store.h"

#include <string>
#include <string_view>

namespace pelindra::settings {

class FileStore final : public SettingsStore
{
public:
    // Beside the running program, and the per-user data directory of application.
    static FileStore ofThisProgram(std::string_view application);
    using SettingsStore::SettingsStore;

    FileCheck check(std::string_view path) override;
    ConfigRead read(std::string_view path) override;
    UpdateResult update(std::string_view path, const UpdateDecision& decide,
                        std::chrono::milliseconds lockWait) override;
};

} // namespace pelindra::settings
