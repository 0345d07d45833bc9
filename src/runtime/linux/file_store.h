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
    FileStore(std::string programDirectory, std::string userDataDirectory);

    std::string programDirectory() override;
    std::string userDataDirectory() override;
    bool exists(std::string_view path) override;
    FileCheck check(std::string_view path) override;
    ConfigRead read(std::string_view path) override;
    UpdateResult update(std::string_view path, const UpdateDecision& decide,
                        std::chrono::milliseconds lockWait) override;

private:
    std::string programDirectory_;
    std::string userDataDirectory_;
};

} // namespace pelindra::settings
