// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"

#include <array>
#include <utility>

namespace pelindra {

namespace {

// In the order of the enumerations.
constexpr std::array<std::string_view, 5> kPropertyNames{"Visible", "Caption", "TextColour", "Top",
                                                         "Interval"};
constexpr std::array<std::string_view, 4> kEventNames{"Created", "Closed", "Clicked", "Tick"};

template <std::size_t N>
std::string_view nameIn(const std::array<std::string_view, N>& names, std::size_t index)
{
    return index < N ? names[index] : "?";
}

} // namespace

std::string_view propertyName(Property property)
{
    return nameIn(kPropertyNames, static_cast<std::size_t>(property));
}

std::string_view eventName(Event event)
{
    return nameIn(kEventNames, static_cast<std::size_t>(event));
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
