// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"

#include "profile_text.h"

#include <utility>

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

const Handler* WindowDefinition::handlerFor(std::string_view control, Event event) const
{
    for (const auto& binding : bindings)
        if (binding.control == control && binding.event == event)
            return &binding.handler;
    return nullptr;
}

std::string ConfigSnapshot::item(std::string_view section, std::string_view name) const
{
    return profile::read(contents, section, name).value_or(std::string{});
}

std::string applyConfigItems(std::string_view contents, const std::vector<ConfigItem>& items)
{
    std::string out(contents);
    for (const auto& change : items)
        out = profile::write(out, change.section, change.item, change.value);
    return out;
}

void Runtime::RegisterEnding(Handler routine)
{
    ending_ = std::move(routine);
}

void Runtime::ProgramEnding()
{
    if (ending_)
        ending_();
}

} // namespace pelindra
