// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace pelindra::qt {

// Makes our widgets known to assistive technology: windows by their captions, what each holds in reading
// order, labels by their text, the digit to press as a status bar, and every clickable label and link as
// a push button with a working Press action.
void installAccessibility();

} // namespace pelindra::qt
