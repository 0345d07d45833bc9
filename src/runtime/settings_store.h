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
    explicit SettingsStore(std::string programDirectory = {}, std::string userDataDirectory = {});
    virtual ~SettingsStore() = default;

    virtual std::string programDirectory() { return programDirectory_; }
    virtual std::string userDataDirectory() { return userDataDirectory_; }
    virtual bool exists(std::string_view path);
    // Usable whenever it can be read, for a store where whatever can be read can be written.
    virtual FileCheck check(std::string_view path);
    virtual ConfigRead read(std::string_view path) = 0;
    virtual UpdateResult update(std::string_view path, const UpdateDecision& decide,
                                std::chrono::milliseconds lockWait) = 0;

protected:
    std::string programDirectory_;
    std::string userDataDirectory_;
};

// The part of a path before its last slash ("." for none, "/" for the root), and the part after it.
std::string_view directoryOf(std::string_view path);
std::string_view fileNameOf(std::string_view path);

} // namespace pelindra
