// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The form in which windows are written down. The window model builds every window from it, so a
// layout is plain constant data with no behaviour of its own.

#include "runtime.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pelindra::layout {

enum class ControlType : std::uint8_t
{
    PictureBox,
    GroupBox,
    TransparentLabel,
    Label,
    LinkBox,
    LinkText,
    Timer
};

// How a picture fills its box.
enum class Fit : std::uint8_t
{
    Scaled,
    Natural
};

enum class Align : std::uint8_t
{
    Left,
    Centre
};

// 0x00BBGGRR, the encoding TextColour is read and written in.
using Colour = std::int32_t;
constexpr Colour kNoColour = -1;

constexpr Colour rgb(int red, int green, int blue)
{
    return static_cast<Colour>((blue << 16) | (green << 8) | red);
}

constexpr int redOf(Colour c)
{
    return c & 0xFF;
}
constexpr int greenOf(Colour c)
{
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(Colour c)
{
    return (c >> 16) & 0xFF;
}

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// An empty face is the default face. Heights are character heights in pixels.
struct Font
{
    std::string_view face{};
    int pixels = 12;
    int weight = 400;
    bool italic = false;
    bool underline = false;
};

struct Control
{
    std::string_view name{};
    ControlType type = ControlType::TransparentLabel;
    std::string_view parent{}; // "" is the window
    Rect geometry{};
    bool visible = true;
    std::string_view text{};
    Colour colour = kNoColour;
    std::optional<Font> font{}; // none: the window's default font
    std::string_view picture{}; // asset name
    Fit fit = Fit::Scaled;
    int interval = 0;
    bool handCursor = false;
    bool wordWrap = false;
    Align align = Align::Left;
    bool live = false; // a screen reader says its caption whenever that changes
};

struct Window
{
    std::string_view name{};
    std::string_view caption{};
    int width = 0; // outer size, frame included
    int height = 0;
    bool visible = true;
    std::string_view icon{};             // asset name, or none
    std::span<const Control> controls{}; // topmost first
    // Where the keyboard starts, and returns to whenever it shows again; none: the first control in
    // reading order that takes the keyboard.
    std::string_view firstAction{};
};

constexpr int kWindowLeft = 50;
constexpr int kWindowTop = 50;

// The control of that name, or nullptr.
const Control* find(const Window& window, std::string_view control);

// Which properties a control of a type has at run time; for the window itself, Visible and Caption.
bool hasProperty(ControlType type, Property property);
bool windowHasProperty(Property property);

} // namespace pelindra::layout
