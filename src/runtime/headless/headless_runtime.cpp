// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "headless_runtime.h"

#include "runtime/conversions.h"

#include <algorithm>
#include <limits>
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

HeadlessRuntime::HeadlessRuntime() = default;
HeadlessRuntime::~HeadlessRuntime() = default;

void HeadlessRuntime::record(std::string line)
{
    calls_.push_back(std::move(line));
}

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
    if (definition.layout == nullptr)
        throw std::logic_error("a window needs a layout");
    for (const auto& binding : definition.bindings)
        if (!binding.control.empty() && layout::find(*definition.layout, binding.control) == nullptr)
            throw std::logic_error("binding to an unknown control " + std::string(binding.control));
    const std::string name(definition.layout->name);
    if (!definitions_.try_emplace(name, std::move(definition)).second)
        throw std::logic_error("window " + name + " is defined already");
}

const WindowDefinition& HeadlessRuntime::definition(std::string_view window) const
{
    const auto it = definitions_.find(window);
    if (it == definitions_.end())
        throw std::logic_error("no window is called " + std::string(window));
    return it->second;
}

const layout::Window* HeadlessRuntime::layoutOf(std::string_view window) const
{
    return definition(window).layout;
}

HeadlessRuntime::WindowState* HeadlessRuntime::open(std::string_view window)
{
    definition(window);
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessRuntime::WindowState* HeadlessRuntime::open(std::string_view window) const
{
    definition(window);
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

HeadlessRuntime::ControlState& HeadlessRuntime::control(WindowState& window, std::string_view name)
{
    const auto it = window.controls.find(name);
    if (it == window.controls.end())
        throw std::logic_error("no control is called " + std::string(name));
    return it->second;
}

const HeadlessRuntime::ControlState& HeadlessRuntime::control(const WindowState& window,
                                                              std::string_view name) const
{
    const auto it = window.controls.find(name);
    if (it == window.controls.end())
        throw std::logic_error("no control is called " + std::string(name));
    return it->second;
}

void HeadlessRuntime::build(std::string_view window)
{
    const auto& def = definition(window);
    windows_.erase(std::string(window));
    WindowState state;
    state.definition = &def;
    state.visible = false;
    state.caption = std::string(def.layout->caption);
    state.serial = nextSerial_++;
    for (const auto& c : def.layout->controls) {
        ControlState cs;
        cs.layout = &c;
        cs.visible = c.visible;
        cs.caption = std::string(c.text);
        cs.colour = c.colour;
        cs.top = c.geometry.top;
        cs.interval = c.interval;
        cs.due = now_ + c.interval;
        state.controls.emplace(std::string(c.name), std::move(cs));
    }
    windows_.emplace(std::string(window), std::move(state));
}

bool HeadlessRuntime::raise(std::string_view window, std::string_view control, Event event)
{
    const auto* handler = definition(window).handlerFor(control, event);
    if (handler == nullptr)
        return false;
    record(std::string(eventName(event)) + " " + join(window, control));
    ++depth_;
    try {
        (*handler)();
    } catch (...) {
        --depth_;
        throw;
    }
    --depth_;
    settle();
    return true;
}

void HeadlessRuntime::post(std::function<void()> action)
{
    posted_.push_back(std::move(action));
}

void HeadlessRuntime::settle()
{
    // A posted action may be a move of the player's, which settles what it set off before it returns.
    if (depth_ > 0)
        return;
    while (!posted_.empty() && !exited()) {
        auto action = std::move(posted_.front());
        posted_.pop_front();
        action();
    }
}

void HeadlessRuntime::OpenStartWindow(std::string_view window)
{
    record("OpenStartWindow " + std::string(window));
    build(window);
    raise(window, "", Event::Created);
    if (auto* w = open(window)) {
        w->visible = true;
        record("shown " + std::string(window));
    }
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
    cleanup_ = std::move(routine);
}

void HeadlessRuntime::ExitProgram(int code)
{
    record("ExitProgram " + std::to_string(code));
    if (exited())
        return;
    if (cleanup_) {
        ++cleanupRuns_;
        cleanup_();
    }
    exitCode_ = code;
    // What waited for a modal window dies with the program.
    posted_.clear();
    afterClose_.clear();
}

void HeadlessRuntime::LoadWindow(std::string_view window, bool modal, Handler afterClose)
{
    record("LoadWindow " + std::string(window) + (modal ? " modal" : ""));
    const std::string name(window);
    build(window);
    const auto serial = open(window)->serial;
    if (modal) {
        // Registered before Created runs, since that handler may close the window again at once.
        std::erase(modals_, name);
        modals_.push_back(name);
        afterClose_[name] = std::move(afterClose);
    }
    raise(window, "", Event::Created);
    auto* w = open(window);
    if (w == nullptr || w->serial != serial) {
        settle();
        return;
    }
    if (!modal) {
        w->visible = definition(window).layout->visible;
        settle();
        return;
    }
    w->visible = true;
    record("shown " + name);
    if (modalDriver_)
        post([this, name, serial] {
            if (const auto* open = this->open(name); open != nullptr && open->serial == serial)
                modalDriver_(name);
        });
    settle();
}

void HeadlessRuntime::CloseWindow(std::string_view window)
{
    record("CloseWindow " + std::string(window));
    definition(window);
    const std::string name(window);
    if (windows_.erase(name) == 0)
        return;
    std::erase(modals_, name);
    if (auto it = afterClose_.find(name); it != afterClose_.end()) {
        if (it->second)
            post(std::move(it->second));
        afterClose_.erase(it);
    }
    settle();
}

void HeadlessRuntime::SetProperty(std::string_view window, std::string_view controlName, Property property,
                                  const PropertyValue& value)
{
    record("Set " + join(window, controlName) + "." + std::string(propertyName(property)) + " " +
           describe(value));
    auto* w = open(window);
    if (w == nullptr)
        return;
    if (controlName.empty()) {
        if (!layout::windowHasProperty(property))
            throw std::logic_error("a window has no " + std::string(propertyName(property)));
        if (property == Property::Visible)
            w->visible = integerOf(value) != 0;
        else
            w->caption = textOf(value);
        return;
    }
    auto& c = control(*w, controlName);
    if (!layout::hasProperty(c.layout->type, property))
        throw std::logic_error(std::string(controlName) + " has no " + std::string(propertyName(property)));
    switch (property) {
    case Property::Visible:
        c.visible = integerOf(value) != 0;
        break;
    case Property::Caption:
        c.caption = textOf(value);
        break;
    case Property::TextColour:
        c.colour = integerOf(value);
        break;
    case Property::Top:
        c.top = integerOf(value);
        break;
    case Property::Interval:
        c.interval = std::max(0, integerOf(value));
        c.due = now_ + c.interval;
        break;
    }
}

PropertyValue HeadlessRuntime::GetProperty(std::string_view window, std::string_view controlName,
                                           Property property)
{
    record("Get " + join(window, controlName) + "." + std::string(propertyName(property)));
    if (open(window) == nullptr)
        return property == Property::Caption ? PropertyValue{std::string{}} : PropertyValue{0};
    return peek(window, controlName, property);
}

PropertyValue HeadlessRuntime::peek(std::string_view window, std::string_view controlName,
                                    Property property) const
{
    const auto* w = open(window);
    if (w == nullptr)
        throw std::logic_error(std::string(window) + " is not open");
    if (controlName.empty()) {
        if (!layout::windowHasProperty(property))
            throw std::logic_error("a window has no " + std::string(propertyName(property)));
        if (property == Property::Visible)
            return std::int32_t{w->visible ? 1 : 0};
        return w->caption;
    }
    const auto& c = control(*w, controlName);
    if (!layout::hasProperty(c.layout->type, property))
        throw std::logic_error(std::string(controlName) + " has no " + std::string(propertyName(property)));
    switch (property) {
    case Property::Visible:
        return std::int32_t{c.visible ? 1 : 0};
    case Property::Caption:
        return c.caption;
    case Property::TextColour:
        return c.colour;
    case Property::Top:
        return c.top;
    case Property::Interval:
        return c.interval;
    }
    return 0;
}

std::int32_t HeadlessRuntime::peekInteger(std::string_view window, std::string_view control,
                                          Property property) const
{
    return integerOf(peek(window, control, property));
}

std::string HeadlessRuntime::peekText(std::string_view window, std::string_view control,
                                      Property property) const
{
    return textOf(peek(window, control, property));
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

void HeadlessRuntime::scriptRandom(std::vector<std::int32_t> values)
{
    randomScript_.insert(randomScript_.end(), values.begin(), values.end());
}

void HeadlessRuntime::setRandomFallback(std::function<std::int32_t(std::int32_t, std::int32_t)> draw)
{
    randomFallback_ = std::move(draw);
}

void HeadlessRuntime::setModalDriver(std::function<void(std::string_view)> driver)
{
    modalDriver_ = std::move(driver);
}

void HeadlessRuntime::setLoopDriver(std::function<void()> driver)
{
    loopDriver_ = std::move(driver);
}

bool HeadlessRuntime::blocked(std::string_view window) const
{
    return !modals_.empty() && modals_.back() != window;
}

bool HeadlessRuntime::isOpen(std::string_view window) const
{
    return open(window) != nullptr;
}

bool HeadlessRuntime::isShown(std::string_view window) const
{
    const auto* w = open(window);
    return w != nullptr && w->visible;
}

bool HeadlessRuntime::isShown(std::string_view window, std::string_view controlName) const
{
    const auto* w = open(window);
    if (w == nullptr || !w->visible)
        return false;
    for (std::string_view name = controlName; !name.empty();) {
        const auto& c = control(*w, name);
        if (!c.visible)
            return false;
        name = c.layout->parent;
    }
    return true;
}

std::vector<std::string> HeadlessRuntime::openWindows() const
{
    std::vector<std::string> out;
    for (const auto& [name, state] : windows_)
        out.push_back(name);
    return out;
}

bool HeadlessRuntime::click(std::string_view window, std::string_view controlName)
{
    if (exited() || blocked(window) || !isShown(window, controlName))
        return false;
    return raise(window, controlName, Event::Clicked);
}

bool HeadlessRuntime::closeByUser(std::string_view window)
{
    if (exited() || blocked(window) || !isShown(window))
        return false;
    if (!raise(window, "", Event::Closed))
        CloseWindow(window);
    settle();
    return true;
}

void HeadlessRuntime::advance(std::int64_t milliseconds)
{
    const auto end = now_ + milliseconds;
    while (!exited()) {
        // The earliest tick due by the end, among all timers of all open windows.
        std::string dueWindow;
        std::string dueTimer;
        std::int64_t dueAt = std::numeric_limits<std::int64_t>::max();
        for (const auto& [wname, w] : windows_)
            for (const auto& [cname, c] : w.controls)
                if (c.layout->type == layout::ControlType::Timer && c.interval > 0 && c.due < dueAt) {
                    dueAt = c.due;
                    dueWindow = wname;
                    dueTimer = cname;
                }
        if (dueAt > end)
            break;
        now_ = std::max(now_, dueAt);
        auto* w = open(dueWindow);
        auto& timer = control(*w, dueTimer);
        timer.due += timer.interval;
        raise(dueWindow, dueTimer, Event::Tick);
    }
    if (!exited())
        now_ = std::max(now_, end);
}

} // namespace pelindra::headless
