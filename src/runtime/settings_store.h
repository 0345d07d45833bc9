// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the player's data lives, and the settings files kept there: files on Linux, localStorage in a
// browser, memory in tests. Each operation does what the Runtime operation of the same name promises.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelindra {

// Whether a settings file may be used where it stands.
struct FileCheck
{
    enum class Verdict : std::uint8_t
    {
        Usable,     // it can be read, and created or replaced now
        Unwritable, // the directory takes no new file, or what stands there cannot be replaced
        Refused,    // a link this program will not follow; it is neither read nor written
    };
    Verdict verdict = Verdict::Usable;
    std::string reason; // for the player, when it is not usable
};

// A settings file as it stood when it was read under the lock.
struct ConfigSnapshot
{
    bool exists = false;
    std::string contents;

    // The item's text; a missing item or file gives "".
    std::string item(std::string_view section, std::string_view item) const;
};

// A settings file read as it is, without the lock.
struct ConfigRead
{
    bool ok = false; // false when it could not be read; a missing file reads fine, as not there
    ConfigSnapshot snapshot;
    std::string reason; // why it could not be read
};

struct ConfigItem
{
    std::string section;
    std::string item;
    std::string value;
};

struct UpdateResult
{
    enum class Outcome : std::uint8_t
    {
        Written, // the items are in the file
        Kept,    // the decision was to leave the file as it is
        Failed,  // the file could not be read or written; it is as it was
    };
    Outcome outcome = Outcome::Failed;
    std::string reason; // why it failed, for the player
};

// Looks at the file as it is now and returns the items to write into it, in order; none leaves it alone.
// It is asked again when another copy made or replaced the file meanwhile; the last answer counts.
using UpdateDecision = std::function<std::vector<ConfigItem>(const ConfigSnapshot& now)>;

// How long an update waits for another copy of the program to finish its own.
inline constexpr std::chrono::milliseconds kLockWait{5000};

// The contents with the items written into them one after the other, the way every runtime stores them.
std::string applyConfigItems(std::string_view contents, const std::vector<ConfigItem>& items);

class SettingsStore
{
public:
    explicit SettingsStore(std::string programDirectory = {}, std::string userDataDirectory = {});
    virtual ~SettingsStore() = default;

    virtual std::string programDirectory() { return programDirectory_; }
    virtual std::string userDataDirectory() { return userDataDirectory_; }
    // The path of the file of that name in the directory, in the store's own form of paths.
    virtual std::string join(std::string_view directory, std::string_view name) = 0;
    virtual bool exists(std::string_view path);
    // Usable whenever it can be read, for a store where whatever can be read can be written.
    virtual FileCheck check(std::string_view path);
    virtual ConfigRead read(std::string_view path) = 0;
    virtual UpdateResult update(std::string_view path, const UpdateDecision& decide,
                                std::chrono::milliseconds lockWait) = 0;

    // Whether the player hears of a program directory that takes no files. Not on Linux, where every
    // system-wide install is one; a Windows program that cannot keep data.dat beside itself says where
    // the record goes instead.
    bool tellOfReadOnlyProgramDirectory = false;

protected:
    std::string programDirectory_;
    std::string userDataDirectory_;
};

// The step of an update that every store shares: what decide makes of the file as it is now, as the
// bytes to store; nothing when it decided to leave the file alone.
std::optional<std::string> decideContents(const ConfigSnapshot& now, const UpdateDecision& decide);

// Paths whose parts a slash separates, as on Linux, in a browser's storage and in tests.
namespace slashed {
std::string join(std::string_view directory, std::string_view name);
// The part of a path before its last slash ("." for none, "/" for the root), and the part after it.
std::string_view directoryOf(std::string_view path);
std::string_view fileNameOf(std::string_view path);
} // namespace slashed

} // namespace pelindra
