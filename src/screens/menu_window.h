// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/layout.h"
#include "runtime/runtime.h"

namespace pelindra {

struct GameState;

const layout::Window& menuLayout();
WindowDefinition menuWindow(Runtime& rt, GameState& state);

} // namespace pelindra
