// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_model.h"

#include "look.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace pelindra {
namespace {

// Undoes a push once what runs on top of it has returned or thrown.
struct Popped
{
    std::vector<std::pair<WindowId, std::string>>& stack;
    int& depth;
    int added;
    ~Popped()
    {
        stack.pop_back();
        depth -= added;
    }
};

bool drawn(const ControlState& control)
{
    return control.layout->type != layout::ControlType::Timer;
}

// Two controls, the first above or level with the second, stand on one line when the second starts
// less than half the lower of their heights further down.
bool oneLine(const layout::Rect& first, const layout::Rect& next)
{
    return next.top - first.top < std::min(first.height, next.height) / 2;
}

void readInto(const WindowState& window, std::string_view container, std::vector<const ControlState*>& out)
{
    std::vector<const ControlState*> line;
    for (const auto& c : window.controls)
        if (drawn(c) && c.layout->parent == container)
            line.push_back(&c);
    const auto at = [](const ControlState* c) { return c->layout->geometry; };
    std::stable_sort(line.begin(), line.end(), [&at](const ControlState* a, const ControlState* b) {
        return std::pair(at(a).top, at(a).left) < std::pair(at(b).top, at(b).left);
    });
    for (auto start = line.begin(); start != line.end();) {
        const auto end = std::find_if(std::next(start), line.end(),
                                      [&](const ControlState* c) { return !oneLine(at(*start), at(c)); });
        std::stable_sort(start, end, [&at](const ControlState* a, const ControlState* b) {
            return at(a).left < at(b).left;
        });
        start = end;
    }
    for (const auto* c : line) {
        out.push_back(c);
        readInto(window, c->layout->name, out);
    }
}

bool gridCell(const WindowState& window, const ControlState& control)
{
    return control.layout->type == layout::ControlType::TransparentLabel && window.clickable(control);
}

bool contains(const layout::Rect& r, Point at)
{
    return at.x >= r.left && at.x < r.left + r.width && at.y >= r.top && at.y < r.top + r.height;
}

// The span [start, end) of at least size round [at, at + length), centred on it as far as the room
// [0, room) allows.
std::pair<int, int> band(int at, int length, int size, int room)
{
    if (length >= size)
        return {at, at + length};
    const int start = std::min(at, std::max(0, std::min(at - (size - length) / 2, room - size)));
    return {start, std::max(start + size, at + length)};
}

layout::Rect intersection(const layout::Rect& a, const layout::Rect& b)
{
    const int left = std::max(a.left, b.left);
    const int top = std::max(a.top, b.top);
    const int right = std::min(a.left + a.width, b.left + b.width);
    const int bottom = std::min(a.top + a.height, b.top + b.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

const ControlState* hitWithin(const WindowModel& model, const WindowState& window, std::string_view container,
                              const layout::Rect& clip, Point at, const Reach& reach)
{
    for (const auto& c : window.controls) {
        if (c.layout->parent != container || !drawn(c) || !c.visible)
            continue;
        // What a container holds lies above it, and inside it.
        const auto inside = intersection(placeOf(window, c), clip);
        if (contains(inside, at))
            if (const auto* child = hitWithin(model, window, c.layout->name, inside, at, reach))
                return child;
        if (!letsPointerThrough(window, c) &&
            contains(intersection(model.hitArea(window, c, reach), clip), at))
            return &c;
    }
    return nullptr;
}

} // namespace

std::vector<const ControlState*> readingOrder(const WindowState& window)
{
    std::vector<const ControlState*> out;
    readInto(window, {}, out);
    return out;
}

layout::Rect placeOf(const WindowState& window, const ControlState& control)
{
    layout::Rect at = control.layout->geometry;
    at.top = control.top;
    for (const auto* c = window.control(control.layout->parent); c != nullptr;
         c = window.control(c->layout->parent)) {
        at.left += c->layout->geometry.left;
        at.top += c->top;
    }
    return at;
}

bool letsPointerThrough(const WindowState& window, const ControlState& control)
{
    const auto type = control.layout->type;
    return (type == layout::ControlType::TransparentLabel || type == layout::ControlType::Label) &&
           !window.clickable(control);
}

std::string spokenName(const WindowState& window, const ControlState& control)
{
    if (control.caption.empty() && window.clickable(control))
        return "空";
    return control.caption;
}

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

WindowState* WindowModel::build(std::string_view name, bool modal, std::pair<WindowId, std::string> owner)
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
    state->owner = owner.first;
    state->opener = std::move(owner.second);
    state->caption = std::string(def->layout->caption);
    for (const auto& c : def->layout->controls)
        state->controls.push_back({&c, c.visible, std::string(c.text),
                                   c.colour == layout::kNoColour ? look::kDefaultText : c.colour,
                                   c.geometry.top,
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

std::pair<WindowId, std::string> WindowModel::acting() const
{
    // A window that has just been closed would take the new one down with it.
    for (auto it = acting_.rbegin(); it != acting_.rend(); ++it)
        if (window(it->first) != nullptr)
            return *it;
    return {};
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
    // A modal window belongs to the window whose handler loads it, else to the one the player is in.
    auto owner = modal ? acting() : std::pair<WindowId, std::string>{};
    if (const auto* in = front(); modal && owner.first == 0 && in != nullptr)
        owner.first = in->id;
    auto* w = build(name, modal, std::move(owner));
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
    if (!w->visible)
        return;
    noteFront(id);
    surface_.opened(*w);
    if (const auto* to = keyboardEntry(*w))
        moveKeyboard(*w, to);
}

void WindowModel::close(std::string_view name)
{
    const auto* w = open(name);
    if (w == nullptr)
        return;
    // What waited for a modal window goes on for the window that opened it, and so does the keyboard.
    const auto owner = w->owner;
    const auto opener = w->opener;
    const bool hadKeyboard = w->visible && w == activeModal();
    destroy(name);
    if (hadKeyboard)
        returnKeyboard(owner, opener);
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
        if (property != Property::Visible) {
            w->caption = textOf(value);
            return surface_.changed(*w, nullptr, property);
        }
        const bool was = std::exchange(w->visible, integerOf(value) != 0);
        surface_.changed(*w, nullptr, property);
        if (w->visible && !was) {
            noteFront(w->id);
            if (const auto* to = keyboardEntry(*w, w->keyboard))
                moveKeyboard(*w, to);
        }
        return;
    }
    auto* c = w->control(control);
    if (c == nullptr)
        return refuse("no control is called " + std::string(control));
    if (!layout::hasProperty(c->layout->type, property))
        return refuse(std::string(control) + " has no " + std::string(propertyName(property)));
    const auto number = integerOf(value);
    const auto* first = w->control(w->form().firstAction);
    const bool firstWasShown = first != nullptr && shown(*w, *first);
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
    if (same)
        return;
    // The keyboard leaves a control before it goes out of sight, and comes to one once it is in sight.
    if (property == Property::Visible && !c->visible)
        keepKeyboard(*w, firstWasShown);
    surface_.changed(*w, c, property);
    if (property == Property::Visible && c->visible)
        keepKeyboard(*w, firstWasShown);
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

bool WindowModel::takesKeyboard(const WindowState& window, const ControlState& control) const
{
    return !exiting_ && window.clickable(control) && shown(window, control) && !blocked(window);
}

const ControlState* WindowModel::keyboardEntry(const WindowState& window, std::string_view current) const
{
    for (const auto name : {window.form().firstAction, current})
        if (const auto* c = name.empty() ? nullptr : window.control(name);
            c != nullptr && takesKeyboard(window, *c))
            return c;
    for (const auto* c : readingOrder(window))
        if (takesKeyboard(window, *c))
            return c;
    return nullptr;
}

const ControlState* WindowModel::nextForKeyboard(const WindowState& window, std::string_view control,
                                                 bool backwards) const
{
    auto order = readingOrder(window);
    if (backwards)
        std::reverse(order.begin(), order.end());
    const auto from = std::find_if(order.begin(), order.end(),
                                   [control](const ControlState* c) { return c->layout->name == control; });
    const auto start =
        from == order.end() ? std::size_t{0} : static_cast<std::size_t>(from - order.begin()) + 1;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (const auto* c = order[(start + i) % order.size()];
            c->layout->name != control && takesKeyboard(window, *c))
            return c;
    return nullptr;
}

const ControlState* WindowModel::neighbour(const WindowState& window, std::string_view control,
                                           Direction direction) const
{
    const auto* from = window.control(control);
    if (from == nullptr || !gridCell(window, *from))
        return nullptr;
    const auto here = placeOf(window, *from);
    const bool across = direction == Direction::Left || direction == Direction::Right;
    const int sign = direction == Direction::Left || direction == Direction::Up ? -1 : 1;
    // Twice the centres, to stay in whole numbers.
    const auto centre = [across](const layout::Rect& r) {
        return across ? 2 * r.left + r.width : 2 * r.top + r.height;
    };
    const auto overlaps = [across](const layout::Rect& a, const layout::Rect& b) {
        return across ? a.top < b.top + b.height && b.top < a.top + a.height
                      : a.left < b.left + b.width && b.left < a.left + a.width;
    };
    const ControlState* best = nullptr;
    int bestDistance = 0;
    for (const auto& c : window.controls) {
        if (&c == from || !gridCell(window, c) || !takesKeyboard(window, c))
            continue;
        const auto there = placeOf(window, c);
        const int distance = sign * (centre(there) - centre(here));
        if (distance > 0 && overlaps(here, there) && (best == nullptr || distance < bestDistance)) {
            best = &c;
            bestDistance = distance;
        }
    }
    return best;
}

const WindowState* WindowModel::front() const
{
    if (const auto* top = activeModal())
        return top;
    if (const auto* last = window(front_); last != nullptr && last->visible)
        return last;
    for (const auto& [name, w] : windows_)
        if (w->visible)
            return w.get();
    return nullptr;
}

void WindowModel::used(Input input)
{
    const bool shown = input == Input::Keys;
    if (std::exchange(keyboardShown_, shown) == shown)
        return;
    for (const auto& [name, w] : windows_)
        if (const auto* c = w->control(w->keyboard))
            surface_.looked(*w, *c);
}

layout::Rect WindowModel::hitArea(const WindowState& window, const ControlState& control,
                                  const Reach& reach) const
{
    auto area = placeOf(window, control);
    if (reach.size <= 0 || !window.clickable(control))
        return area;
    // The room is the container's, or the window's client area.
    layout::Rect room = reach.client;
    if (const auto* parent = window.control(control.layout->parent))
        room = placeOf(window, *parent);
    if (room.width <= 0 || room.height <= 0)
        room = {area.left - reach.size, area.top - reach.size, area.width + 2 * reach.size,
                area.height + 2 * reach.size};
    const auto [left, right] = band(area.left - room.left, area.width, reach.size, room.width);
    const auto [top, bottom] = band(area.top - room.top, area.height, reach.size, room.height);
    return {room.left + left, room.top + top, right - left, bottom - top};
}

const ControlState* WindowModel::hit(const WindowState& window, Point at, const Reach& reach) const
{
    constexpr int kAll = 1 << 20;
    return hitWithin(*this, window, {}, {-kAll, -kAll, 2 * kAll, 2 * kAll}, at, reach);
}

bool WindowModel::handCursor(const WindowState& window, const ControlState& control) const
{
    return window.clickable(control) || control.layout->handCursor;
}

std::vector<const ControlState*> WindowModel::stackingOrder(const WindowState& window) const
{
    std::vector<const ControlState*> order;
    for (auto c = window.controls.rbegin(); c != window.controls.rend(); ++c)
        if (drawn(*c))
            order.push_back(&*c);
    return order;
}

void WindowModel::moveKeyboard(WindowState& window, const ControlState* to, bool activate)
{
    window.keyboard = to == nullptr ? std::string() : std::string(to->layout->name);
    surface_.focus(window, to, activate);
}

void WindowModel::returnKeyboard(WindowId owner, std::string_view opener)
{
    auto* w = const_cast<WindowState*>(window(owner));
    if (w == nullptr)
        return;
    const auto* c = w->control(opener);
    if (c == nullptr || !takesKeyboard(*w, *c))
        c = keyboardEntry(*w);
    if (c != nullptr)
        moveKeyboard(*w, c, true);
}

void WindowModel::keepKeyboard(WindowState& window, bool firstActionWasShown)
{
    if (!window.visible)
        return;
    const auto* first = window.control(window.form().firstAction);
    const auto* current = window.control(window.keyboard);
    if (first != nullptr && !firstActionWasShown && shown(window, *first)) {
        if (const auto* to = keyboardEntry(window, window.keyboard))
            moveKeyboard(window, to);
    } else if (current != nullptr && !shown(window, *current)) {
        moveKeyboard(window, nextForKeyboard(window, window.keyboard));
    }
    // A control that went out of sight keeps no pointer looks.
    const auto still = [&](bool ControlState::*flag) -> const ControlState* {
        for (const auto& c : window.controls)
            if (c.*flag && shown(window, c))
                return &c;
        return nullptr;
    };
    setPointerLooks(window, still(&ControlState::hovered), still(&ControlState::pressed));
}

void WindowModel::setPointerLooks(WindowState& window, const ControlState* over, const ControlState* pressed)
{
    for (auto& c : window.controls) {
        const bool hovered = &c == over;
        const bool down = &c == pressed;
        if (c.hovered == hovered && c.pressed == down)
            continue;
        c.hovered = hovered;
        c.pressed = down;
        surface_.looked(window, c);
    }
}

bool WindowModel::click(WindowId id, std::string_view control)
{
    const auto* w = window(id);
    if (exiting_ || w == nullptr || !w->visible || blocked(*w))
        return false;
    noteFront(id);
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

bool WindowModel::key(WindowId id, Key key)
{
    const auto* found = id == 0 ? front() : window(id);
    if (exiting_ || found == nullptr || !found->visible || blocked(*found))
        return false;
    auto& w = *open(found->name());
    noteFront(w.id);
    const ControlState* to = nullptr;
    switch (key) {
    case Key::Next:
    case Key::Previous:
        to = nextForKeyboard(w, w.keyboard, key == Key::Previous);
        break;
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
        to = neighbour(w, w.keyboard,
                       static_cast<Direction>(static_cast<int>(key) - static_cast<int>(Key::Left)));
        break;
    case Key::Activate: {
        const auto* c = w.control(w.keyboard);
        return c != nullptr && takesKeyboard(w, *c) && click(w.id, w.keyboard);
    }
    case Key::Escape:
        // Only the active modal window is unblocked and modal at once.
        return w.modal && requestClose(w.id);
    }
    if (to == nullptr)
        return false;
    moveKeyboard(w, to);
    return true;
}

Cursor WindowModel::pointer(WindowId id, PointerAction action, Point at, const Reach& reach)
{
    const auto* found = window(id);
    if (exiting_ || found == nullptr)
        return Cursor::Arrow;
    auto& w = *open(found->name());
    if (!w.visible || blocked(w)) {
        setPointerLooks(w, nullptr, nullptr);
        // As a window system does for a modal dialog: the press brings it back in front.
        if (const auto* top = activeModal(); action == PointerAction::Press && top != nullptr && top != &w)
            moveKeyboard(*open(top->name()), top->control(top->keyboard), true);
        return Cursor::Arrow;
    }
    const auto* under = action == PointerAction::Leave ? nullptr : hit(w, at, reach);
    const auto* target = under != nullptr && w.clickable(*under) ? under : nullptr;
    const auto cursor = under != nullptr && handCursor(w, *under) ? Cursor::Hand : Cursor::Arrow;
    const ControlState* armed = nullptr;
    for (const auto& c : w.controls)
        if (c.pressed)
            armed = &c;
    if (action == PointerAction::Press) {
        noteFront(id);
        armed = target;
    } else if (armed != target) {
        // Once off the control it was pressed on, the press is no click any more.
        armed = nullptr;
    }
    if (action != PointerAction::Release || armed == nullptr) {
        setPointerLooks(w, target, armed);
        return cursor;
    }
    const std::string clicked(armed->layout->name);
    setPointerLooks(w, target, nullptr);
    click(id, clicked);
    return cursor;
}

bool WindowModel::pressAt(WindowId id, Point down, Point up, const Reach& reach)
{
    const auto* w = window(id);
    const auto* at = w == nullptr ? nullptr : hit(*w, down, reach);
    return at != nullptr && at == hit(*w, up, reach) && w->clickable(*at) &&
           click(id, std::string(at->layout->name));
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
    acting_.emplace_back(id, control);
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
        acting_.emplace_back(actingFor, std::string());
        const Popped popped{acting_, depth_, 0};
        work();
    }
}

} // namespace pelindra
