// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/layout.h"
#include "runtime/runtime.h"

namespace pelindra {

const layout::Window& aboutLayout();
WindowDefinition aboutWindow(Runtime& rt);

// One tick of the credits' timer: up by 10 px, until the text has risen past -112.
void scrollCredits(Runtime& rt);

} // namespace pelindra
