// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/layout.h"

#include <QFont>
#include <QString>

namespace pelindra::qt::fonts {

// The face we ship: Noto Sans CJK SC, cut down to the program's characters and renamed, so that a full
// Noto CJK on the system does not stand in for it. Always asked for by name, the Simplified Chinese
// forms first: under a non-Chinese locale a plain CJK request gets the Japanese glyph forms.
inline const QString kFamily = QStringLiteral("Pelindra Sans SC");
// Our bold cut, as a family of its own: the heavy stand-in for display faces that are not installed.
inline const QString kHeavyFamily = QStringLiteral("Pelindra Sans SC Heavy");

// Registers the embedded subsets once; every text the program shows has its glyphs in them.
void loadEmbedded();

// The window's default font, for controls without a font of their own.
QFont defaultFont();

// The font a control draws in: its own, the one its type implies, or the default.
QFont fontFor(const layout::Control& control);

} // namespace pelindra::qt::fonts
