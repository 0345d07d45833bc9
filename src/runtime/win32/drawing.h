// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The controls drawn with GDI from the look, at the scale of the monitor a window stands on. The
// layouts and the look are in pixels at 96 DPI; everything here is in device pixels.

#include "dpi.h"
#include "fonts.h"
#include "runtime/layout.h"
#include "runtime/look.h"

#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>
#include <windows.h>

namespace pelindra::win32 {

struct Scale
{
    UINT dpi = kDefaultDpi;

    int operator()(int pixels) const { return scaled(pixels, dpi); }
    double operator()(double pixels) const { return pixels * dpi / kDefaultDpi; }
    RECT rect(const layout::Rect& r) const;
    // A device pixel in the layout's pixels, rounded down, so that a point stays inside the control
    // whose device pixels it falls on.
    int back(int device) const;
};

// Fonts made from the look, kept for as long as the cache lives.
class FontCache
{
public:
    explicit FontCache(const Fonts& fonts) : fonts_(fonts) {}
    // The font at that character height in device pixels.
    HFONT get(const look::Font& font, int pixels);

private:
    const Fonts& fonts_;
    std::map<std::tuple<std::vector<std::string_view>, int, bool, bool, bool>, UniqueFont> made_;
};

// A caption's lines as they are drawn: each of its own lines, and with wrap, split where a line of the
// text would leave the width, after a space or between two Chinese characters where it can.
// The look's colours are in the encoding of a COLORREF already.
COLORREF colourOf(look::Colour colour);

std::vector<std::wstring> shownLines(HDC dc, std::string_view caption, bool wrap, int width);

// A caption drawn in its box (look::textBox) of the control at `control`, in the font selected into dc.
void drawCaption(HDC dc, const look::TextBox& box, std::string_view caption, COLORREF colour, RECT control,
                 const Scale& scale);

// The record heading: outlined lettering, smoothed by drawing it four times as large and averaging.
void drawLettering(HDC dc, const look::TextBox& box, std::string_view caption, COLORREF fill, RECT control,
                   const Scale& scale, FontCache& fonts);

void drawPanel(HDC dc, RECT control, const Scale& scale);
// A link box's frame and fill under the pointer, pressed or at rest; its caption is drawn apart.
void drawLinkBack(HDC dc, const look::LinkLook& look, RECT control, const Scale& scale);
void drawFocusRing(HDC dc, const look::FocusRing& ring, RECT control, const Scale& scale);

} // namespace pelindra::win32
