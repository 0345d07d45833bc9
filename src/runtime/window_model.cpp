// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_model.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace pelindra {
namespace {

// A control the layout gives no colour draws in white, on every surface.
constexpr layout::Colour kDefaultColour = layout::rgb(255, 255, 255);

// Undoes a push once what runs on top of it has returned or thrown.
struct Popped
{
    std::vector<WindowId>& stack;
    int& depth;
    int added;
    ~Popped()
    {
        stack.pop_back();
        depth -= added;
    }
};

} // namespace

const ControlState* WindowState::control(std::string_view name) const
{
    const auto it = std::find_if(controls.begin(), controls.end(),
                                 [name](const ControlState& c) { return c.layout->name == name; });
    return it == controls.end() ? nullptr : &*it;
}

ControlState* WindowState::control(std::string_view name)
{
    return const_cast<ControlState*>(std::as_const(*this).control(name));
}

bool WindowState::clickable(const ControlState& control) const
{
    const auto type = control.layout->type;
    return type == layout::ControlType::LinkBox || type == layout::ControlType::LinkText ||
           (type == layout::ControlType::TransparentLabel &&
            definition->handlerFor(control.layout->name, Event::Clicked) != nullptr);
}

WindowModel::WindowModel(WindowSurface& surface, bool strict) : surface_(surface), strict_(strict) {}

WindowModel::~WindowModel() = default;

void WindowModel::refuse(const std::string& what) const
{
    if (strict_)
        throw std::logic_error(what);
}

void WindowModel::define(WindowDefinition definition)
{
    if (definition.layout == nullptr)
        return refuse("a window needs a layout");
    const std::string name(definition.layout->name);
    // Open windows run their handlers straight from the definition, perhaps while one of them runs.
    if (definitions_.contains(name))
        throw std::logic_error("window " + name + " is defined already");
    definitions_.emplace(name, std::move(definition));
}

const WindowDefinition* WindowModel::definition(std::string_view window) const
{
    const auto it = definitions_.find(window);
    return it == definitions_.end() ? nullptr : &it->second;
}

WindowState* WindowModel::open(std::string_view name) const
{
    if (const auto it = windows_.find(name); it != windows_.end())
        return it->second.get();
    if (definition(name) == nullptr)
        refuse("no window is called " + std::string(name));
    return nullptr;
}

const WindowState* WindowModel::window(std::string_view name) const
{
    const auto it = windows_.find(name);
    return it == windows_.end() ? nullptr : it->second.get();
}

const WindowState* WindowModel::window(WindowId id) const
{
    for (const auto& [name, w] : windows_)
        if (w->id == id)
            return w.get();
    return nullptr;
}

std::vector<const WindowState*> WindowModel::windows() const
{
    std::vector<const WindowState*> out;
    for (const auto& [name, w] : windows_)
        out.push_back(w.get());
    return out;
}

const WindowState* WindowModel::activeModal() const
{
    // A hidden modal window takes nothing; the one beneath it, if shown, takes over.
    for (auto id = modals_.rbegin(); id != modals_.rend(); ++id)
        if (const auto* w = window(*id); w != nullptr && w->visible)
            return w;
    return nullptr;
}

bool WindowModel::blocked(const WindowState& window) const
{
    const auto* top = activeModal();
    return top != nullptr && top != &window;
}

bool WindowModel::shown(const WindowState& window, const ControlState& control) const
{
    if (!window.visible)
        return false;
    for (const auto* c = &control; c != nullptr;
         c = c->layout->parent.empty() ? nullptr : window.control(c->layout->parent))
        if (!c->visible)
            return false;
    return true;
}

WindowState* WindowModel::build(std::string_view name, bool modal, WindowId owner)
{
    const auto* def = definition(name);
    if (def == nullptr) {
        refuse("no window is called " + std::string(name));
        return nullptr;
    }
    destroy(name);
    auto state = std::make_unique<WindowState>();
    state->id = nextId_++;
    state->definition = def;
    state->modal = modal;
    state->owner = owner;
    state->caption = std::string(def->layout->caption);
    for (const auto& c : def->layout->controls)
        state->controls.push_back({&c, c.visible, std::string(c.text),
                                   c.colour == layout::kNoColour ? kDefaultColour : c.colour, c.geometry.top,
                                   c.type == layout::ControlType::Timer ? std::max(0, c.interval) : 0});
    auto* w = state.get();
    windows_[std::string(name)] = std::move(state);
    surface_.built(*w);
    for (const auto& c : w->controls)
        if (c.interval > 0)
            surface_.changed(*w, &c, Property::Interval);
    return w;
}

void WindowModel::destroy(std::string_view name)
{
    const auto it = windows_.find(name);
    if (it == windows_.end())
        return;
    const auto id = it->second->id;
    windows_.erase(it);
    std::erase(modals_, id);
    surface_.destroyed(id);
}

WindowId WindowModel::owner() const
{
    // A window that has just been closed would take the new one down with it.
    for (auto id = acting_.rbegin(); id != acting_.rend(); ++id)
        if (window(*id) != nullptr)
            return *id;
    return 0;
}

void WindowModel::openStart(std::string_view name)
{
    load(name, false, {}, true);
}

void WindowModel::load(std::string_view name, bool modal, Handler afterClose)
{
    load(name, modal, std::move(afterClose), modal);
}

void WindowModel::load(std::string_view name, bool modal, Handler afterClose, bool show)
{
    if (exiting_)
        return;
    auto* w = build(name, modal, modal ? owner() : 0);
    if (w == nullptr)
        return;
    const auto id = w->id;
    if (modal) {
        // In place before Created runs, since that handler may close the window again at once.
        modals_.push_back(id);
        if (afterClose)
            afterClose_[std::string(name)].push_back(std::move(afterClose));
    }
    raise(id, {}, Event::Created);
    if ((w = open(name)) == nullptr || w->id != id)
        return;
    w->visible = show || w->form().visible;
    if (w->visible)
        surface_.opened(*w);
}

void WindowModel::close(std::string_view name)
{
    const auto* w = open(name);
    if (w == nullptr)
        return;
    // What waited for a modal window goes on for the window that opened it.
    const auto owner = w->owner;
    destroy(name);
    const auto waiting = afterClose_.find(name);
    if (waiting == afterClose_.end())
        return;
    for (auto& work : waiting->second)
        post(std::move(work), owner);
    afterClose_.erase(waiting);
}

void WindowModel::set(std::string_view window, std::string_view control, Property property,
                      const PropertyValue& value)
{
    auto* w = open(window);
    if (w == nullptr)
        return;
    if (control.empty()) {
        if (!layout::windowHasProperty(property))
            return refuse("a window has no " + std::string(propertyName(property)));
        if (property == Property::Visible)
            w->visible = integerOf(value) != 0;
        else
            w->caption = textOf(value);
        return surface_.changed(*w, nullptr, property);
    }
    auto* c = w->control(control);
    if (c == nullptr)
        return refuse("no control is called " + std::string(control));
    if (!layout::hasProperty(c->layout->type, property))
        return refuse(std::string(control) + " has no " + std::string(propertyName(property)));
    const auto number = integerOf(value);
    bool same = false;
    switch (property) {
    case Property::Visible:
        same = std::exchange(c->visible, number != 0) == (number != 0);
        break;
    case Property::Caption: {
        auto text = textOf(value);
        same = text == c->caption;
        c->caption = std::move(text);
        break;
    }
    case Property::TextColour:
        same = std::exchange(c->colour, number) == number;
        break;
    case Property::Top:
        same = std::exchange(c->top, number) == number;
        break;
    case Property::Interval:
        c->interval = std::max(0, number);
        break;
    }
    if (!same)
        surface_.changed(*w, c, property);
}

PropertyValue WindowModel::get(std::string_view window, std::string_view control, Property property) const
{
    const auto none = property == Property::Caption ? PropertyValue{std::string{}} : PropertyValue{0};
    const auto* w = open(window);
    if (w == nullptr)
        return none;
    if (control.empty()) {
        if (!layout::windowHasProperty(property)) {
            refuse("a window has no " + std::string(propertyName(property)));
            return none;
        }
        return property == Property::Visible ? PropertyValue{std::int32_t{w->visible}} : w->caption;
    }
    const auto* c = w->control(control);
    if (c == nullptr || !layout::hasProperty(c->layout->type, property)) {
        refuse(std::string(control) + " has no " + std::string(propertyName(property)));
        return none;
    }
    switch (property) {
    case Property::Visible:
        return std::int32_t{c->visible};
    case Property::Caption:
        return c->caption;
    case Property::TextColour:
        return c->colour;
    case Property::Top:
        return c->top;
    case Property::Interval:
        return c->interval;
    }
    return none;
}

bool WindowModel::exit(int code)
{
    if (exiting_)
        return false;
    exiting_ = true;
    if (cleanup_)
        cleanup_();
    // What waited for a modal window dies with the program.
    posted_.clear();
    afterClose_.clear();
    surface_.ended(code);
    return true;
}

bool WindowModel::click(WindowId id, std::string_view control)
{
    const auto* w = window(id);
    if (exiting_ || w == nullptr || !w->visible || blocked(*w))
        return false;
    if (control.empty())
        return raise(id, control, Event::Clicked);
    const auto* c = w->control(control);
    if (c == nullptr)
        refuse("no control is called " + std::string(control));
    return c != nullptr && shown(*w, *c) && raise(id, control, Event::Clicked);
}

bool WindowModel::tick(WindowId id, std::string_view timer)
{
    const auto* w = window(id);
    const auto* c = w == nullptr ? nullptr : w->control(timer);
    return c != nullptr && c->interval > 0 && raise(id, timer, Event::Tick);
}

bool WindowModel::requestClose(WindowId id)
{
    const auto* w = window(id);
    if (exiting_ || w == nullptr || !w->visible || blocked(*w))
        return false;
    if (!raise(id, {}, Event::Closed))
        close(std::string(w->name()));
    return true;
}

bool WindowModel::escape()
{
    const auto* top = activeModal();
    return top != nullptr && requestClose(top->id);
}

bool WindowModel::raise(WindowId id, std::string_view control, Event event)
{
    const auto* w = window(id);
    if (exiting_ || w == nullptr)
        return false;
    const auto* handler = w->definition->handlerFor(control, event);
    if (handler == nullptr)
        return false;
    surface_.handling(*w, control, event);
    acting_.push_back(id);
    ++depth_;
    const Popped popped{acting_, depth_, 1};
    (*handler)();
    return true;
}

void WindowModel::post(Handler work, WindowId actingFor)
{
    if (!work || exiting_)
        return;
    posted_.emplace_back(std::move(work), actingFor);
    surface_.wake();
}

void WindowModel::settle()
{
    // Work that is itself a move of the player's settles what it set off before it returns.
    if (depth_ > 0)
        return;
    while (!posted_.empty() && !exiting_) {
        auto [work, actingFor] = std::move(posted_.front());
        posted_.pop_front();
        acting_.push_back(actingFor);
        const Popped popped{acting_, depth_, 0};
        work();
    }
}

} // namespace pelindra
