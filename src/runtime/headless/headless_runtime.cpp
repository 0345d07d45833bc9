// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "headless_runtime.h"

#include "runtime/conversions.h"

#include <algorithm>
#include <stdexcept>

namespace pelindra::headless {
namespace {

std::string join(std::string_view window, std::string_view control)
{
    std::string out(window);
    if (!control.empty())
        out.append(".").append(control);
    return out;
}

} // namespace

HeadlessRuntime::HeadlessRuntime() : ModelRuntime(*this, true) {}
HeadlessRuntime::~HeadlessRuntime() = default;

std::string HeadlessRuntime::describe(const PropertyValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return "\"" + *text + "\"";
    return std::to_string(std::get<std::int32_t>(value));
}

std::vector<std::string> HeadlessRuntime::callsStartingWith(std::string_view prefix) const
{
    std::vector<std::string> out;
    for (const auto& line : calls_)
        if (std::string_view(line).starts_with(prefix))
            out.push_back(line);
    return out;
}

void HeadlessRuntime::DefineWindow(WindowDefinition definition)
{
    if (definition.layout != nullptr)
        for (const auto& binding : definition.bindings)
            if (!binding.control.empty() && layout::find(*definition.layout, binding.control) == nullptr)
                throw std::logic_error("binding to an unknown control " + std::string(binding.control));
    ModelRuntime::DefineWindow(std::move(definition));
}

const WindowState* HeadlessRuntime::open(std::string_view window) const
{
    layoutOf(window);
    return model_.window(window);
}

const layout::Window* HeadlessRuntime::layoutOf(std::string_view window) const
{
    const auto* definition = model_.definition(window);
    if (definition == nullptr)
        throw std::logic_error("no window is called " + std::string(window));
    return definition->layout;
}

void HeadlessRuntime::destroyed(WindowId window)
{
    std::erase_if(timers_, [window](const auto& timer) { return timer.second.window == window; });
}

void HeadlessRuntime::changed(const WindowState& window, const ControlState* control, Property property)
{
    if (property != Property::Interval || control == nullptr)
        return;
    const std::pair<std::string, std::string> key(window.name(), control->layout->name);
    if (control->interval > 0)
        timers_[key] = {window.id, now_ + control->interval};
    else
        timers_.erase(key);
}

void HeadlessRuntime::opened(const WindowState& window)
{
    if (!window.modal)
        return;
    record("shown " + std::string(window.name()));
    if (!modalDriver_)
        return;
    model_.post([this, name = std::string(window.name()), id = window.id] {
        if (model_.window(id) != nullptr)
            modalDriver_(name);
    });
}

void HeadlessRuntime::handling(const WindowState& window, std::string_view control, Event event)
{
    record(std::string(eventName(event)) + " " + join(window.name(), control));
}

void HeadlessRuntime::OpenStartWindow(std::string_view window)
{
    record("OpenStartWindow " + std::string(window));
    ModelRuntime::OpenStartWindow(window);
    if (isShown(window))
        record("shown " + std::string(window));
    model_.settle();
}

void HeadlessRuntime::RunMessageLoop()
{
    record("RunMessageLoop");
    if (loopDriver_ && !exited())
        loopDriver_();
}

void HeadlessRuntime::RegisterCleanup(std::function<void()> routine)
{
    record("RegisterCleanup");
    if (routine)
        routine = [this, routine = std::move(routine)] {
            ++cleanupRuns_;
            routine();
        };
    ModelRuntime::RegisterCleanup(std::move(routine));
}

void HeadlessRuntime::ExitProgram(int code)
{
    record("ExitProgram " + std::to_string(code));
    if (model_.exit(code))
        exitCode_ = code;
}

void HeadlessRuntime::LoadWindow(std::string_view window, bool modal, Handler afterClose)
{
    record("LoadWindow " + std::string(window) + (modal ? " modal" : ""));
    ModelRuntime::LoadWindow(window, modal, std::move(afterClose));
    model_.settle();
}

void HeadlessRuntime::CloseWindow(std::string_view window)
{
    record("CloseWindow " + std::string(window));
    ModelRuntime::CloseWindow(window);
    model_.settle();
}

void HeadlessRuntime::SetProperty(std::string_view window, std::string_view control, Property property,
                                  const PropertyValue& value)
{
    record("Set " + join(window, control) + "." + std::string(propertyName(property)) + " " +
           describe(value));
    ModelRuntime::SetProperty(window, control, property, value);
}

PropertyValue HeadlessRuntime::GetProperty(std::string_view window, std::string_view control,
                                           Property property)
{
    record("Get " + join(window, control) + "." + std::string(propertyName(property)));
    return ModelRuntime::GetProperty(window, control, property);
}

PropertyValue HeadlessRuntime::peek(std::string_view window, std::string_view control,
                                    Property property) const
{
    if (open(window) == nullptr)
        throw std::logic_error(std::string(window) + " is not open");
    return model_.get(window, control, property);
}

void HeadlessRuntime::ReportProblem(std::string_view line)
{
    record("ReportProblem " + std::string(line));
    problems.emplace_back(line);
}

std::string HeadlessRuntime::ToText(std::int32_t number)
{
    record("ToText " + std::to_string(number));
    return toText(number);
}

std::int32_t HeadlessRuntime::ToInteger(std::string_view text)
{
    record("ToInteger \"" + std::string(text) + "\"");
    return toInteger(text);
}

void HeadlessRuntime::SeedRandom()
{
    record("SeedRandom");
}

std::int32_t HeadlessRuntime::RandomInt(std::int32_t min, std::int32_t max)
{
    std::int32_t value = 0;
    if (!randomScript_.empty()) {
        value = randomScript_.front();
        randomScript_.pop_front();
        if (value < min || value > max)
            throw std::logic_error("scripted random value " + std::to_string(value) + " lies outside " +
                                   std::to_string(min) + ".." + std::to_string(max));
    } else if (randomFallback_) {
        value = randomFallback_(min, max);
    } else {
        throw std::logic_error("the random script is used up");
    }
    record("RandomInt " + std::to_string(min) + " " + std::to_string(max) + " -> " + std::to_string(value));
    return value;
}

bool HeadlessRuntime::isOpen(std::string_view window) const
{
    return open(window) != nullptr;
}

bool HeadlessRuntime::isShown(std::string_view window, std::string_view control) const
{
    const auto* w = open(window);
    if (w == nullptr || control.empty())
        return w != nullptr && w->visible;
    const auto* c = w->control(control);
    if (c == nullptr)
        throw std::logic_error("no control is called " + std::string(control));
    return model_.shown(*w, *c);
}

std::vector<std::string> HeadlessRuntime::modalStack() const
{
    std::vector<std::string> out;
    for (const auto id : model_.modalStack())
        out.emplace_back(model_.window(id)->name());
    return out;
}

bool HeadlessRuntime::click(std::string_view window, std::string_view control)
{
    const auto* w = open(window);
    const bool taken = w != nullptr && model_.click(w->id, control);
    model_.settle();
    return taken;
}

bool HeadlessRuntime::closeByUser(std::string_view window)
{
    const auto* w = open(window);
    const bool taken = w != nullptr && model_.requestClose(w->id);
    model_.settle();
    return taken;
}

void HeadlessRuntime::advance(std::int64_t milliseconds)
{
    const auto end = now_ + milliseconds;
    while (!exited()) {
        // The earliest tick due by the end, among all timers of all open windows.
        auto due = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (due == timers_.end() || it->second.due < due->second.due)
                due = it;
        if (due == timers_.end() || due->second.due > end)
            break;
        now_ = std::max(now_, due->second.due);
        const auto id = due->second.window;
        const auto timer = due->first.second;
        due->second.due += model_.window(id)->control(timer)->interval;
        model_.tick(id, timer);
        model_.settle();
    }
    if (!exited())
        now_ = std::max(now_, end);
}

} // namespace pelindra::headless
