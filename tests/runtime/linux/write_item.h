// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/linux/linux_files.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelindra::settings {

// The store's calls on files given by their whole path, as a store with no directories of its own.
inline FileCheck check(const std::string& path)
{
    return storeIn({}, {}).check(path);
}

inline ConfigRead read(const std::string& path)
{
    return storeIn({}, {}).read(path);
}

inline std::string readItem(const std::string& path, std::string_view section, std::string_view item)
{
    return read(path).snapshot.item(section, item);
}

inline UpdateResult update(const std::string& path, const UpdateDecision& decide,
                           std::chrono::milliseconds lockWait = kLockWait, TryLock tryLock = tryOfdLock)
{
    return storeIn({}, {}, std::move(tryLock)).update(path, decide, lockWait);
}

// One item, whatever the file holds, through the one way the program writes; false when nothing was
// written. The program itself always decides on what it finds.
inline bool writeItem(const std::string& path, std::string_view section, std::string_view item,
                      std::string_view value)
{
    const auto result = update(path, [&](const ConfigSnapshot&) {
        return std::vector<ConfigItem>{{std::string(section), std::string(item), std::string(value)}};
    });
    return result.outcome == UpdateResult::Outcome::Written;
}

} // namespace pelindra::settings
