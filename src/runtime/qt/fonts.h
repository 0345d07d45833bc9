// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/layout.h"
#include "runtime/look.h"

#include <QFont>

namespace pelindra::qt::fonts {

// Registers the embedded faces once; every text the program shows has its glyphs in them.
void loadEmbedded();

QFont toQFont(const look::Font& font);

// The window's default font, for controls without a font of their own.
QFont defaultFont();

// The font a control draws in.
QFont fontFor(const layout::Control& control);

} // namespace pelindra::qt::fonts
