// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the player's data lives, and the settings files kept there: files on Linux, localStorage in a
// browser, memory in tests. Each operation does what the Runtime operation of the same name promises.

#include "runtime.h"

#include <chrono>
#include <string>
#include <string_view>

namespace pelindra {

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual std::string programDirectory() = 0;
    virtual std::string userDataDirectory() = 0;
    virtual bool exists(std::string_view path) = 0;
    virtual FileCheck check(std::string_view path) = 0;
    virtual ConfigRead read(std::string_view path) = 0;
    virtual UpdateResult update(std::string_view path, const UpdateDecision& decide,
                                std::chrono::milliseconds lockWait) = 0;
};

} // namespace pelindra
