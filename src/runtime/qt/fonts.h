// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/layout.h"

#include <QFont>
#include <QString>
#include <optional>

namespace pelindra::qt::fonts {

// The face we ship. Asked for by its Simplified Chinese name: under a non-Chinese locale a plain CJK
// request would get the Japanese glyph forms.
inline const QString kFamily = QStringLiteral("Noto Sans CJK SC");

// Registers the embedded subsets once; every text the program shows has its glyphs in them.
void loadEmbedded();

// The window's default font, for controls without a font of their own.
QFont defaultFont();

// The font a control draws in: its own, the one its type implies, or the default.
QFont fontFor(const layout::Control& control);

// Whether a named face of the layouts is installed here; where it is not, a heavy weight of our own
// face stands in for it.
bool faceInstalled(std::string_view face);

} // namespace pelindra::qt::fonts
