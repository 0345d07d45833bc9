// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_layout.h"

namespace pelindra::web {
namespace {

constexpr int kDefaultPixels = 12;
// A link box keeps its text clear of the frame it draws under the pointer.
constexpr int kLinkBoxInset = 4;

// The face by the names it goes by, then our heavy cut, which has nothing lighter to offer, as on the
// desktop.
std::string familiesFor(std::string_view face)
{
    std::string families = "\"" + std::string(face) + "\"";
    if (face == "华文琥珀")
        families += ", \"STHupo\"";
    else if (face == "华文彩云")
        families += ", \"STCaiyun\"";
    return families + ", \"Pelindra Sans SC Heavy\", \"Pelindra Sans SC\"";
}

} // namespace

TextBox textBox(const layout::Control& control)
{
    TextBox box{.left = 0, .width = control.geometry.width, .height = control.geometry.height};
    if (control.type == layout::ControlType::LinkText) {
        box.underline = true;
        return box;
    }
    if (control.type == layout::ControlType::LinkBox) {
        box.left = kLinkBoxInset;
        box.width = control.geometry.width - 2 * kLinkBoxInset;
    }
    if (!control.font)
        return box;
    const auto& font = *control.font;
    box.pixels = font.pixels > 0 ? font.pixels : kDefaultPixels;
    box.weight = font.weight;
    box.italic = font.italic;
    box.underline = font.underline;
    if (!font.face.empty())
        box.families = familiesFor(font.face);
    return box;
}

DisplayedText displayedText(std::string_view caption)
{
    DisplayedText shown;
    if (caption.empty())
        return shown;
    shown.lines = 1;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c != '\r' && c != '\n') {
            shown.text.push_back(c);
            continue;
        }
        if (c == '\r' && i + 1 < caption.size() && caption[i + 1] == '\n')
            ++i;
        if (i + 1 == caption.size())
            break;
        shown.text.push_back('\n');
        ++shown.lines;
    }
    return shown;
}

double lineTop(const TextBox& box, int lines)
{
    if (lines != 1)
        return 0;
    return (box.height - box.pixels) / 2.0;
}

} // namespace pelindra::web
