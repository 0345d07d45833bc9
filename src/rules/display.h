// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every change the rules make to what the player sees is one property write on the game window.

#include "names.h"
#include "runtime/runtime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pelindra::display {

inline void set(Runtime& rt, std::string_view control, Property property, std::int32_t value)
{
    rt.SetProperty(names::kGameWindow, control, property, value);
}

inline void setText(Runtime& rt, std::string_view control, std::string text)
{
    rt.SetProperty(names::kGameWindow, control, Property::Caption, std::move(text));
}

} // namespace pelindra::display
