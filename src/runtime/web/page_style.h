// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The look (runtime/look.h) in the page's terms: the classes its elements carry, and the style rules
// that draw them as the look says. The rules go into the site's stylesheet when the site is made
// (prebuild.js, make_site.py), so that the page writes down no constant of the look by hand.

#include "runtime/look.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelindra::web {

// The classes of a control's element, by its type.
const char* controlClasses(layout::ControlType type);

std::string cssColour(look::Colour colour);
std::string cssFamilies(const std::vector<std::string_view>& families);

// The rules that carry the look, to follow the page's own in its stylesheet.
std::string lookStyle();

} // namespace pelindra::web
