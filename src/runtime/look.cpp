// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "look.h"

#include <algorithm>

namespace pelindra::look {
namespace {

// A link box keeps its text clear of the frame it draws under the pointer.
constexpr int kLinkBoxInset = 4;
constexpr int kBoldFrom = 700;

constexpr Colour kWhite = layout::rgb(0xFF, 0xFF, 0xFF);
constexpr Colour kBoxText = layout::rgb(0x00, 0x88, 0xFF);
constexpr Colour kBoxFrame = layout::rgb(0x00, 0x00, 0xFF);
constexpr Colour kBoxPressed = layout::rgb(0x24, 0x24, 0x24);
constexpr Colour kTextHover = layout::rgb(0x33, 0x99, 0xFF);

bool isLink(layout::ControlType type)
{
    return type == layout::ControlType::LinkBox || type == layout::ControlType::LinkText;
}

// The face by the names it goes by, Chinese and Latin, then our heavy cut, which has nothing lighter
// to offer.
std::vector<std::string_view> familiesFor(std::string_view face)
{
    std::vector<std::string_view> families{face};
    if (face == "华文琥珀")
        families.push_back("STHupo");
    else if (face == "华文彩云")
        families.push_back("STCaiyun");
    families.push_back(kHeavyFamily);
    families.push_back(kFamily);
    return families;
}

} // namespace

Font defaultFont()
{
    return Font{.families = {kFamily, kSystemFamily}};
}

Font fontOf(const layout::Control& control)
{
    Font font = defaultFont();
    if (control.type == layout::ControlType::LinkText) {
        font.underline = true;
        return font;
    }
    if (!control.font)
        return font;
    const auto& asked = *control.font;
    if (!asked.face.empty())
        font.families = familiesFor(asked.face);
    if (asked.pixels > 0)
        font.pixels = asked.pixels;
    font.bold = asked.weight >= kBoldFrom;
    font.italic = asked.italic;
    font.underline = asked.underline;
    return font;
}

TextBox textBox(const layout::Control& control)
{
    const auto& g = control.geometry;
    TextBox box{.area = {0, 0, g.width, g.height}, .font = fontOf(control)};
    if (control.type == layout::ControlType::LinkBox)
        box.area = {kLinkBoxInset, 0, g.width - 2 * kLinkBoxInset, g.height};
    // A link is one line from the left; the record heading is always centred.
    if (isLink(control.type))
        return box;
    box.wrap = control.wordWrap;
    box.align = control.type == layout::ControlType::Label ? layout::Align::Centre : control.align;
    return box;
}

std::vector<std::string_view> linesOf(std::string_view caption)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < caption.size()) {
        const auto end = std::min(caption.find_first_of("\r\n", start), caption.size());
        lines.push_back(caption.substr(start, end - start));
        start = end + (caption.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

double firstLineTop(const TextBox& box, int lines)
{
    if (lines != 1)
        return box.area.top;
    return box.area.top + (box.area.height - box.font.pixels) / 2.0;
}

double baseline(const TextBox& box, int lines, int line)
{
    const double step = box.font.pixels;
    return firstLineTop(box, lines) + step * line + kEmAscent * step;
}

Outline outlineOf(const Font& font)
{
    return {kWhite, std::max(1.5, font.pixels / 24.0)};
}

FocusRing focusRing(layout::ControlType type)
{
    if (type == layout::ControlType::LinkBox)
        return {.colour = kBoxText, .inset = 1};
    return {.colour = kWhite, .inset = 0};
}

LinkLook linkLook(layout::ControlType type, bool hovered, bool pressed)
{
    if (type == layout::ControlType::LinkText)
        return {.text = hovered || pressed ? kTextHover : kWhite};
    LinkLook look{.text = kBoxText, .underline = hovered};
    if (pressed)
        look.fill = kBoxPressed;
    else if (hovered)
        look.frame = kBoxFrame;
    return look;
}

layout::Rect clientArea(const layout::Window& window)
{
    return {kClientOrigin.x, kClientOrigin.y, window.width - 2 * kFrame.border,
            window.height - kFrame.titleBar - kFrame.border};
}

} // namespace pelindra::look
