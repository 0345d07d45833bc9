// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the windows look, whatever draws them: the fonts, the colours, where a caption's lines go, and the
// looks of links, focus rings, panels and the window frame. Each surface draws from this alone, so the
// editions cannot drift apart: everything is in pixels, plain RGB and font families in the order wanted.

#include "layout.h"

#include <optional>
#include <string_view>
#include <vector>

namespace pelindra::look {

// Red, green and blue in the layouts' encoding (layout::rgb, layout::redOf ...), which is also the one
// a Windows COLORREF has.
using Colour = layout::Colour;

// The faces we ship: Noto Sans CJK SC, cut down to the program's characters and renamed, so that a full
// Noto CJK on the system does not stand in for it. Always asked for by name, the Simplified Chinese
// forms first: under a non-Chinese locale a plain CJK request gets the Japanese glyph forms.
inline constexpr std::string_view kFamily = "Pelindra Sans SC";
// Our bold cut, as a family of its own: the heavy stand-in for display faces that are not installed.
inline constexpr std::string_view kHeavyFamily = "Pelindra Sans SC Heavy";
// Where our cut lacks a character.
inline constexpr std::string_view kSystemFamily = "Noto Sans CJK SC";
inline constexpr int kDefaultPixels = 12;

// An embedded face, by the asset name of its file without the extension, which each surface has in its
// own format.
struct Face
{
    std::string_view family;
    std::string_view file;
    // Its one weight stands in for any that a font asks for.
    bool anyWeight = false;
};
inline constexpr Face kFaces[] = {{kFamily, "PelindraSansSC-Regular", false},
                                  {kHeavyFamily, "PelindraSansSC-Heavy", true}};

struct Font
{
    std::vector<std::string_view> families; // the first one installed draws
    int pixels = kDefaultPixels;            // the character height
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const Font&) const = default;
};

// The window's font, for controls without one of their own.
Font defaultFont();
// The font a control draws in: its own, the one its type implies, or the default.
Font fontOf(const layout::Control& control);

// Where a control draws its caption, and how.
struct TextBox
{
    layout::Rect area; // within the control
    Font font;
    layout::Align align = layout::Align::Left;
    bool wrap = false;
};

TextBox textBox(const layout::Control& control);

// A caption's lines: CR LF, a lone CR and LF each end one, and the line end that ends the text starts
// no new one. No text, no lines.
std::vector<std::string_view> linesOf(std::string_view caption);

// Share of the character height above the baseline: the ideographic em box of CJK faces. Lines are one
// character height apart.
inline constexpr double kEmAscent = 0.88;

// The top of the first of that many lines, from the top of the control: a single line is centred on the
// box, several start at its top.
double firstLineTop(const TextBox& box, int lines);
// The baseline of line `line` (from 0) of that many, from the top of the control.
double baseline(const TextBox& box, int lines, int line);

// The record heading's lettering: filled in its text colour within an outline of this colour and width
// (round joins), scaled down to keep kLetteringMargin clear of the control's sides if it is too wide.
struct Outline
{
    Colour colour;
    double width;
};
Outline outlineOf(const Font& font);
inline constexpr int kLetteringMargin = 2;

// A control's caption draws in this where the layout gives no colour.
inline constexpr Colour kDefaultText = layout::rgb(0xFF, 0xFF, 0xFF);
inline constexpr Colour kWindowBackground = layout::rgb(0x0B, 0x0F, 0x1A);

// A group box: a rounded frame, filled.
struct Panel
{
    Colour fill;
    Colour frame;
    int frameWidth;
    int radius;
};
inline constexpr Panel kPanel{layout::rgb(0x0F, 0x15, 0x24), layout::rgb(0x3A, 0x4B, 0x6E), 1, 4};

// The frame round a control that has the keyboard, `inset` pixels inside its edge.
struct FocusRing
{
    Colour colour;
    int inset;
    int width = 1;
    bool dotted = true;
};
FocusRing focusRing(layout::ControlType type);

// A link under the pointer and pressed. Its text stays in a colour that reads on the dark backgrounds;
// the deep blue only ever draws a frame.
struct LinkLook
{
    Colour text;
    std::optional<Colour> frame{}; // one pixel wide, at the control's edge
    std::optional<Colour> fill{};
    bool underline = false; // whatever the font says
};
LinkLook linkLook(layout::ControlType type, bool hovered, bool pressed);

// The frame a window manager would draw, for a surface that draws its own: the layouts give outer sizes,
// so the client area is what is left inside the title bar and the border.
struct WindowFrame
{
    int titleBar; // its own top border included
    int border;
    Colour titleFill;
    Colour frame;
    Colour caption;
    Colour closeHoverFill;
    Colour closeHoverGlyph;
};
inline constexpr WindowFrame kFrame{27,
                                    1,
                                    layout::rgb(0x1B, 0x23, 0x36),
                                    layout::rgb(0x3A, 0x4B, 0x6E),
                                    layout::rgb(0xE6, 0xE9, 0xF0),
                                    layout::rgb(0xC4, 0x2B, 0x1C),
                                    layout::rgb(0xFF, 0xFF, 0xFF)};

struct Point
{
    int x;
    int y;
};
// Where the client area of a window placed at (layout::kWindowLeft, layout::kWindowTop) starts.
inline constexpr Point kClientOrigin{layout::kWindowLeft + kFrame.border,
                                     layout::kWindowTop + kFrame.titleBar};
// That client area, and how large it is.
layout::Rect clientArea(const layout::Window& window);

} // namespace pelindra::look
