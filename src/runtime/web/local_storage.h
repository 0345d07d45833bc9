// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// data.dat in the browser's localStorage, per origin, under "pelindra/data.dat". The page has no second
// place: when its storage fails, the record lives for the session only.

#include "runtime/settings_store.h"

#include <emscripten/val.h>

namespace pelindra::web {

class LocalStorage final : public SettingsStore
{
public:
    // Through the page's side of it (storage.js).
    LocalStorage();

    // "localStorage/data.dat": the name is what counts, and the rest reads like a path in warnings.
    std::string join(std::string_view directory, std::string_view name) override;
    ConfigRead read(std::string_view path) override;
    // One synchronous step: nothing else in this page runs between the read and the write. Another tab
    // is another copy of the program, whose higher record the decision itself protects.
    UpdateResult update(std::string_view path, const UpdateDecision& decide,
                        std::chrono::milliseconds lockWait) override;

private:
    // The page's answer for the file, {ok, text, reason}, after moving a record left by an earlier page.
    emscripten::val storedText(std::string_view path);

    emscripten::val page_;
};

} // namespace pelindra::web
