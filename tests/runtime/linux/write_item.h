// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/linux/settings_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelindra::settings {

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
