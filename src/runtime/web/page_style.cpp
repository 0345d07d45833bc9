// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_style.h"

#include <array>
#include <cstdio>
#include <map>

namespace pelindra::web {
namespace {

using layout::ControlType;

std::string px(int value)
{
    return std::to_string(value) + "px";
}

std::string rule(const std::string& selector, const std::string& declarations)
{
    return selector + " { " + declarations + " }\n";
}

// The class that names a control's type, the last of its classes.
std::string typeClass(ControlType type)
{
    const std::string classes = controlClasses(type);
    return classes.substr(classes.rfind(' ') + 1);
}

// The faces we ship, as the site has them.
std::string faces()
{
    std::string css;
    for (const auto& face : look::kFaces)
        css += rule("@font-face", "font-family: " + cssFamilies({face.family}) + "; src: url(\"fonts/" +
                                      std::string(face.file) + ".woff2\") format(\"woff2\"); font-weight: " +
                                      (face.anyWeight ? "100 900" : "400") + "; font-display: block;");
    return css;
}

// The frame a window manager would draw round the client area.
std::string frame()
{
    const auto& f = look::kFrame;
    const int bar = f.titleBar - f.border;
    const std::string edge = px(f.border) + " solid " + cssColour(f.frame);
    return rule(".window", "left: " + px(look::kClientOrigin.x) + "; top: " + px(look::kClientOrigin.y) +
                               "; box-shadow: 0 0 0 " + px(f.border) + " " + cssColour(f.frame) +
                               ", 0 8px 24px rgba(0, 0, 0, 0.6);") +
           rule(".titlebar", "left: " + px(-f.border) + "; right: " + px(-f.border) +
                                 "; top: " + px(-f.titleBar) + "; height: " + px(f.titleBar) +
                                 "; background: " + cssColour(f.titleFill) + "; border: " + edge +
                                 "; border-bottom: 0; color: " + cssColour(f.caption) + ";") +
           rule(".titlebar .caption", "line-height: " + px(bar) + ";") +
           rule(".titlebar .close", "height: " + px(bar) + "; color: " + cssColour(f.caption) + ";") +
           rule(".titlebar .close:hover", "background: " + cssColour(f.closeHoverFill) +
                                              "; color: " + cssColour(f.closeHoverGlyph) + ";") +
           rule(".client", "background: " + cssColour(look::kWindowBackground) + ";");
}

// Each link in each state the pointer puts it in (bridge.js marks them), rules with the same
// declarations merged.
std::string links()
{
    std::map<std::string, std::string> selectors; // by declarations, in a stable order
    auto add = [&](const std::string& selector, const std::string& declarations) {
        auto& list = selectors[declarations];
        list += (list.empty() ? "" : ", ") + selector;
    };
    for (const auto type : {ControlType::LinkBox, ControlType::LinkText})
        for (const bool hovered : {false, true})
            for (const bool pressed : {false, true}) {
                const auto shown = look::linkLook(type, hovered, pressed);
                const std::string selector = "." + typeClass(type) + (hovered ? ".hover" : ":not(.hover)") +
                                             (pressed ? ".pressed" : ":not(.pressed)");
                std::string css = "color: " + cssColour(shown.text) + ";";
                if (shown.frame)
                    css += " box-shadow: inset 0 0 0 1px " + cssColour(*shown.frame) + ";";
                if (shown.fill)
                    css += " background: " + cssColour(*shown.fill) + ";";
                add(selector, css);
                if (shown.underline)
                    add(selector + " .text", "text-decoration: underline;");
            }
    std::string css;
    for (const auto& [declarations, selector] : selectors)
        css += rule(selector, declarations);
    return css;
}

std::string focusRings()
{
    std::map<std::string, std::string> selectors;
    for (const auto type : {ControlType::LinkBox, ControlType::LinkText, ControlType::TransparentLabel}) {
        const auto ring = look::focusRing(type);
        const std::string css = "content: \"\"; position: absolute; inset: " + px(ring.inset) +
                                "; border: " + px(ring.width) + (ring.dotted ? " dotted " : " solid ") +
                                cssColour(ring.colour) + "; pointer-events: none;";
        auto& list = selectors[css];
        list += (list.empty() ? "" : ", ") + ("button." + typeClass(type) + ":focus-visible::after");
    }
    std::string css;
    for (const auto& [declarations, selector] : selectors)
        css += rule(selector, declarations);
    return css;
}

} // namespace

const char* controlClasses(ControlType type)
{
    // In the order of layout::ControlType.
    static constexpr std::array<const char*, 7> kClasses{
        "ctl picture", "ctl group", "ctl label", "ctl label decorated", "ctl linkbox", "ctl linktext", "ctl"};
    return kClasses[static_cast<std::size_t>(type)];
}

std::string cssColour(look::Colour colour)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", layout::redOf(colour), layout::greenOf(colour),
                  layout::blueOf(colour));
    return buffer;
}

std::string cssFamilies(const std::vector<std::string_view>& families)
{
    std::string css;
    for (const auto family : families)
        css += (css.empty() ? "\"" : ", \"") + std::string(family) + "\"";
    return css;
}

std::string lookStyle()
{
    const auto font = look::defaultFont();
    const auto& panel = look::kPanel;
    return faces() +
           rule("#stage", "font: " + px(font.pixels) + " " + cssFamilies(font.families) + ", sans-serif;") +
           frame() +
           rule(".group", "border: " + px(panel.frameWidth) + " solid " + cssColour(panel.frame) +
                              "; border-radius: " + px(panel.radius) +
                              "; background: " + cssColour(panel.fill) + ";") +
           rule(".decorated .text",
                "-webkit-text-stroke-color: " + cssColour(look::outlineOf(font).colour) + ";") +
           links() + focusRings();
}

} // namespace pelindra::web
