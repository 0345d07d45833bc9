// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Colours and fonts that the layouts of several windows share.

#include "runtime/layout.h"

#include <optional>

namespace pelindra::styles {

using layout::Font;
using layout::rgb;

inline constexpr layout::Colour kWhite = rgb(255, 255, 255);
inline constexpr layout::Colour kRed = rgb(255, 0, 0);
inline constexpr layout::Colour kMagenta = rgb(255, 0, 255);
inline constexpr layout::Colour kGreen = rgb(0, 255, 0);
inline constexpr layout::Colour kGrey = rgb(128, 128, 128);

inline constexpr Font kInfoFont{.face = "", .pixels = 13};

// A transparent label, the most common control of all.
constexpr layout::Control textLabel(std::string_view name, layout::Rect at, std::string_view text,
                                    layout::Colour colour, std::optional<Font> font, bool visible = true)
{
    return layout::Control{.name = name,
                           .type = layout::ControlType::TransparentLabel,
                           .geometry = at,
                           .visible = visible,
                           .text = text,
                           .colour = colour,
                           .font = font};
}

inline constexpr std::string_view kBanner = "banner.jpg";
inline constexpr std::string_view kBlock = "block.jpg";
inline constexpr std::string_view kProgramIcon = "pelindra.ico";
inline constexpr std::string_view kAboutPicture = "about.ico";

} // namespace pelindra::styles
