// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// For the build's run under node only (prebuild.js): the page's program has no use for it.

#include "page_style.h"

#include <emscripten/bind.h>

EMSCRIPTEN_BINDINGS(pelindra_prebuild_style)
{
    emscripten::function("pelindraLookStyle", &pelindra::web::lookStyle);
}
