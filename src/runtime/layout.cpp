// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout.h"

namespace pelindra::layout {

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

} // namespace pelindra::layout
