// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"

#include "layout.h"

namespace pelindra {

std::string_view propertyName(Property property)
{
    switch (property) {
    case Property::Visible:
        return "Visible";
    case Property::Caption:
        return "Caption";
    case Property::TextColour:
        return "TextColour";
    case Property::Top:
        return "Top";
    case Property::Interval:
        return "Interval";
    }
    return "?";
}

std::string_view eventName(Event event)
{
    switch (event) {
    case Event::Created:
        return "Created";
    case Event::Closed:
        return "Closed";
    case Event::Clicked:
        return "Clicked";
    case Event::Tick:
        return "Tick";
    }
    return "?";
}

std::int32_t integerOf(const PropertyValue& value)
{
    const auto* number = std::get_if<std::int32_t>(&value);
    return number ? *number : 0;
}

std::string textOf(const PropertyValue& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string{};
}

namespace layout {

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

} // namespace layout
} // namespace pelindra
