// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout.h"

#include <algorithm>
#include <tuple>

namespace pelindra::layout {

namespace {

// (top, left) of the control in its window's client area, through the controls it stands in.
std::pair<int, int> placeOf(const Window& window, const Control& control)
{
    std::pair<int, int> at{0, 0};
    for (const auto* c = &control; c != nullptr; c = c->parent.empty() ? nullptr : find(window, c->parent)) {
        at.first += c->geometry.top;
        at.second += c->geometry.left;
    }
    return at;
}

} // namespace

const Control* find(const Window& window, std::string_view control)
{
    for (const auto& c : window.controls)
        if (c.name == control)
            return &c;
    return nullptr;
}

bool hasProperty(ControlType type, Property property)
{
    switch (property) {
    case Property::Visible:
    case Property::Top:
        return type != ControlType::Timer;
    case Property::Caption:
        return type == ControlType::TransparentLabel || type == ControlType::Label ||
               type == ControlType::LinkBox || type == ControlType::LinkText;
    case Property::TextColour:
        return type == ControlType::TransparentLabel || type == ControlType::Label;
    case Property::Interval:
        return type == ControlType::Timer;
    }
    return false;
}

bool windowHasProperty(Property property)
{
    return property == Property::Visible || property == Property::Caption;
}

std::vector<const Control*> keyboardOrder(const Window& window)
{
    std::vector<const Control*> links;
    for (const auto& c : window.controls)
        if (c.type == ControlType::LinkBox || c.type == ControlType::LinkText)
            links.push_back(&c);
    const auto key = [&window](const Control* c) { return std::tuple(placeOf(window, *c), c->name); };
    std::sort(links.begin(), links.end(),
              [&key](const Control* a, const Control* b) { return key(a) < key(b); });
    return links;
}

} // namespace pelindra::layout
