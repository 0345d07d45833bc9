// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a control's text goes, worked out the way the desktop lays it out: lines one character height
// apart, a single line centred on the label's height, several lines from the top. Plain C++, so that
// the page only has to place what this decides.

#include "runtime/layout.h"

#include <string>
#include <string_view>

namespace pelindra::web {

// The area a control's text is drawn in, and the font it is drawn in.
struct TextBox
{
    int left = 0;
    int width = 0;
    int height = 0;
    int pixels = 12;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    std::string families; // CSS font-family for a face the layout names; "" for the default face
};

TextBox textBox(const layout::Control& control);

struct DisplayedText
{
    std::string text; // lines joined by "\n"
    int lines = 0;    // paragraphs; 0 for no text
};

// CR LF, a lone CR and LF all end a line; the line ending that ends the text starts no new one.
DisplayedText displayedText(std::string_view caption);

// The top of the first line within the box.
double lineTop(const TextBox& box, int lines);

} // namespace pelindra::web
