// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dom_page.h"

#include "page_style.h"

#include <cstdio>

namespace pelindra::web {

using emscripten::val;

namespace {

std::string px(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2fpx", value);
    return buffer;
}

std::string px(int value)
{
    return std::to_string(value) + "px";
}

void setStyle(const val& element, const char* property, const std::string& value)
{
    element["style"].set(property, value);
}

void setHidden(val& element, bool hidden)
{
    element.set("hidden", hidden);
}

// The classes of pelindra.css that set a caption's font and flow as the look has it.
std::string textClasses(const look::TextBox& box)
{
    std::string classes = "text";
    if (box.font.bold)
        classes += " bold";
    if (box.font.italic)
        classes += " italic";
    if (box.font.underline)
        classes += " underline";
    if (box.wrap)
        classes += " wrap";
    if (box.align == layout::Align::Centre)
        classes += " centre";
    return classes;
}

// The caption as the page shows it, its lines one to a line of the text.
std::string shownText(const std::vector<std::string_view>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + std::string(lines[i]);
    return text;
}

// The element with the keyboard when it is element or lies within it, else null; a page being drawn at
// build time has none.
val keyboardIn(const val& element)
{
    auto active = val::global("document")["activeElement"];
    if (active.isUndefined() || active.isNull() || !element.call<bool>("contains", active))
        return val::null();
    return active;
}

} // namespace

struct DomPage::Control
{
    val element = val::undefined();
    val text = val::undefined(); // the element the caption is drawn in
    std::int32_t handle = 0;
    look::TextBox box{};
    int lines = 0;
    bool clickable = false;
    bool timer = false;
};

struct DomPage::Window
{
    val element = val::undefined();
    val client = val::undefined(); // what controls without a parent go into
    val caption = val::undefined();
    std::map<std::string, Control, std::less<>> controls;
    std::int32_t handle = 0; // the window itself, and its close button
    std::int32_t layer = 0;
    bool modal = false;
    bool materialized = false;
};

// The site's page may hold the start-up windows already, written into it from this very code when the
// site was made (adopt.js): the elements made here are then those, in the order they were made then,
// and they stay where they are. A page without them, or with another build's, gets new ones.
DomPage::DomPage(const WindowModel& model, val stage, val bridge)
    : model_(model), stage_(std::move(stage)), bridge_(std::move(bridge)),
      maker_(val::module_property("pelindraElements").call<val>("maker", stage_))
{
    backdrop_ = make("div", "backdrop");
    setHidden(backdrop_, true);
    stage_.call<void>("appendChild", backdrop_);
}

DomPage::~DomPage() = default;

val DomPage::make(const char* tag, const std::string& className) const
{
    return maker_.call<val>("make", std::string(tag), className);
}

std::int32_t DomPage::handle(WindowId window, std::string control)
{
    handles_[nextHandle_] = {window, std::move(control)};
    return nextHandle_++;
}

const std::pair<WindowId, std::string>* DomPage::target(std::int32_t handle) const
{
    const auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : &it->second;
}

void DomPage::build(const WindowState& state)
{
    const auto& form = state.form();
    auto window = std::make_unique<Window>();
    window->modal = state.modal;
    auto element = make("div", "window");
    element.call<void>("setAttribute", std::string("data-window"), std::string(form.name));
    element.call<void>("setAttribute", std::string("aria-label"), state.caption);
    // Announced as what they are, with their captions: a dialog, or a landmark of the page.
    element.call<void>("setAttribute", std::string("role"), std::string(state.modal ? "dialog" : "region"));
    if (state.modal)
        element.call<void>("setAttribute", std::string("aria-modal"), std::string("true"));
    setHidden(element, true);
    const auto client = look::clientArea(form);
    element["style"].set("cssText", "width:" + px(client.width) + ";height:" + px(client.height));

    auto bar = make("div", "titlebar");
    if (!form.icon.empty()) {
        auto icon = make("img", "icon");
        icon.set("alt", std::string());
        icon.set("src", std::string(form.icon));
        bar.call<void>("appendChild", icon);
    }
    window->caption = make("span", "caption");
    window->caption.set("textContent", state.caption);
    bar.call<void>("appendChild", window->caption);
    auto close = make("button", "close");
    close.set("tabIndex", -1);
    close.call<void>("setAttribute", std::string("aria-label"), std::string("关闭"));
    window->handle = handle(state.id, {});
    bridge_.call<void>("closer", close, window->handle);
    bar.call<void>("appendChild", close);
    element.call<void>("appendChild", bar);
    window->client = make("div", "client");
    element.call<void>("appendChild", window->client);
    window->element = element;
    bridge_.call<void>("window", element, window->client, window->handle);

    for (const auto& control : state.controls) {
        const auto& layout = *control.layout;
        Control drawn;
        drawn.lines = static_cast<int>(look::linesOf(control.caption).size());
        if (layout::hasProperty(layout.type, Property::Caption))
            drawn.box = look::textBox(layout);
        drawn.clickable = state.clickable(control);
        drawn.timer = layout.type == layout::ControlType::Timer;
        if (drawn.timer || drawn.clickable)
            drawn.handle = handle(state.id, std::string(layout.name));
        window->controls.emplace(std::string(layout.name), std::move(drawn));
    }
    // A window built hidden gets its elements when it is first shown; until then only its state.
    if (state.modal || form.visible)
        materialize(state, *window);
    stage_.call<void>("appendChild", element);
    windows_[state.id] = std::move(window);
}

void DomPage::materialize(const WindowState& state, Window& window)
{
    if (std::exchange(window.materialized, true))
        return;
    // In reading order, which is the order of the page, so that screen readers and Tab go that way; the
    // stacking is each control's z-index.
    for (const auto* control : readingOrder(state))
        makeElement(state, window, *control);
}

void DomPage::makeElement(const WindowState& state, Window& window, const ControlState& control)
{
    const auto& layout = *control.layout;
    auto& drawn = window.controls.at(std::string(layout.name));
    if (!drawn.element.isUndefined() || layout.type == layout::ControlType::Timer)
        return;
    val parent = window.client;
    if (const auto* p = state.control(layout.parent)) {
        makeElement(state, window, *p);
        if (auto& built = window.controls.at(std::string(p->layout->name)); !built.element.isUndefined())
            parent = built.element;
    }

    // A label that answers nothing lets the pointer through, as the model's hit test does.
    std::string classes = controlClasses(layout.type);
    if (letsPointerThrough(state, control))
        classes += " through";
    auto element = make(drawn.clickable ? "button" : "div", classes);
    element.call<void>("setAttribute", std::string("data-control"), std::string(layout.name));
    const auto& g = layout.geometry;
    // Stacked as the model stacks them; a control's children stay within it, as child widgets do.
    const auto order = model_.stackingOrder(state);
    const auto level = std::find(order.begin(), order.end(), &control) - order.begin() + 1;
    element["style"].set("cssText", "left:" + px(g.left) + ";top:" + px(control.top) +
                                        ";width:" + px(g.width) + ";height:" + px(g.height) +
                                        ";z-index:" + std::to_string(level));
    setHidden(element, !control.visible);

    if (layout.type == layout::ControlType::PictureBox) {
        auto picture = make("img", layout.fit == layout::Fit::Scaled ? "scaled" : "natural");
        picture.set("alt", std::string());
        picture.set("draggable", false);
        picture.set("src", std::string(layout.picture));
        element.call<void>("appendChild", picture);
    }

    if (layout::hasProperty(layout.type, Property::Caption)) {
        const auto& box = drawn.box;
        auto text = make("span", textClasses(box));
        std::string css = "left:" + px(box.area.left) + ";width:" + px(box.area.width) +
                          ";font-size:" + px(box.font.pixels) + ";line-height:" + px(box.font.pixels) +
                          ";top:" + px(look::firstLineTop(box, drawn.lines));
        // The stage has the default font already.
        if (box.font.families != look::defaultFont().families)
            css += ";font-family:" + cssFamilies(box.font.families);
        if (layout::hasProperty(layout.type, Property::TextColour))
            css += ";color:" + cssColour(control.colour);
        if (layout.type == layout::ControlType::Label)
            css += ";-webkit-text-stroke-width:" + px(look::outlineOf(box.font).width);
        text["style"].set("cssText", css);
        text.set("textContent", shownText(look::linesOf(control.caption)));
        element.call<void>("appendChild", text);
        drawn.text = text;
    }

    if (drawn.clickable) {
        element.set("tabIndex", 0);
        bridge_.call<void>("clickable", element, drawn.handle);
        const auto spoken = spokenName(state, control);
        if (spoken != control.caption)
            element.call<void>("setAttribute", std::string("aria-label"), spoken);
    }
    if (layout.live) {
        element.call<void>("setAttribute", std::string("role"), std::string("status"));
        element.call<void>("setAttribute", std::string("aria-live"), std::string("polite"));
        element.call<void>("setAttribute", std::string("aria-atomic"), std::string("true"));
    }

    parent.call<void>("appendChild", element);
    drawn.element = element;
    reachOut(state, drawn, control);
}

void DomPage::reachOut(const WindowState& state, const Control& drawn, const ControlState& control) const
{
    if (!drawn.clickable || drawn.element.isUndefined())
        return;
    // A border as wide as the control reaches beyond itself, drawn in nothing, takes the taps there; its
    // margin takes the border back, so that the control is drawn where it stands.
    const auto own = placeOf(state, control);
    const auto area = model_.hitArea(state, control, reach(state.id));
    const int left = own.left - area.left;
    const int top = own.top - area.top;
    const int right = area.left + area.width - own.left - own.width;
    const int bottom = area.top + area.height - own.top - own.height;
    const bool wider = left > 0 || top > 0 || right > 0 || bottom > 0;
    setStyle(drawn.element, "borderWidth",
             wider ? px(top) + " " + px(right) + " " + px(bottom) + " " + px(left) : std::string());
    setStyle(drawn.element, "margin", wider ? px(-top) + " 0 0 " + px(-left) : std::string());
}

void DomPage::refit(int reach)
{
    reach_ = reach;
    for (const auto& [id, window] : windows_) {
        const auto* state = model_.window(id);
        if (state == nullptr)
            continue;
        for (const auto& control : state->controls)
            reachOut(*state, window->controls.at(std::string(control.layout->name)), control);
    }
}

Reach DomPage::reach(WindowId window) const
{
    const auto* state = model_.window(window);
    if (state == nullptr)
        return {};
    const auto client = look::clientArea(state->form());
    return {reach_, {0, 0, client.width, client.height}};
}

void DomPage::look(const WindowState& state, const ControlState& control)
{
    const auto it = windows_.find(state.id);
    const auto type = control.layout->type;
    // Digit labels look the same whatever the pointer does, so that a press costs no frame of its own
    // ahead of the answer's.
    if (it == windows_.end() ||
        (type != layout::ControlType::LinkBox && type != layout::ControlType::LinkText))
        return;
    auto& element = it->second->controls.at(std::string(control.layout->name)).element;
    if (element.isUndefined())
        return;
    element["classList"].call<void>("toggle", std::string("hover"), control.hovered);
    element["classList"].call<void>("toggle", std::string("pressed"), control.pressed);
}

void DomPage::draw(const WindowState& state, const ControlState* control, Property property)
{
    const auto it = windows_.find(state.id);
    if (it == windows_.end())
        return;
    auto& window = *it->second;
    if (control == nullptr) {
        if (property == Property::Visible)
            return show(state);
        window.caption.set("textContent", state.caption);
        window.element.call<void>("setAttribute", std::string("aria-label"), state.caption);
        return;
    }
    auto& drawn = window.controls.at(std::string(control->layout->name));
    switch (property) {
    case Property::Visible:
        if (!drawn.element.isUndefined())
            setHidden(drawn.element, !control->visible);
        break;
    case Property::Caption: {
        const auto lines = look::linesOf(control->caption);
        const int count = static_cast<int>(lines.size());
        const bool moved = count != drawn.lines;
        drawn.lines = count;
        if (drawn.text.isUndefined())
            break;
        drawn.text.set("textContent", shownText(lines));
        if (moved)
            setStyle(drawn.text, "top", px(look::firstLineTop(drawn.box, count)));
        if (drawn.clickable) {
            const auto spoken = spokenName(state, *control);
            if (spoken != control->caption)
                drawn.element.call<void>("setAttribute", std::string("aria-label"), spoken);
            else
                drawn.element.call<void>("removeAttribute", std::string("aria-label"));
        }
        break;
    }
    case Property::TextColour:
        if (!drawn.text.isUndefined())
            setStyle(drawn.text, "color", cssColour(control->colour));
        break;
    case Property::Top:
        if (!drawn.element.isUndefined())
            setStyle(drawn.element, "top", px(control->top));
        reachOut(state, drawn, *control);
        break;
    case Property::Interval:
        // A new positive interval starts the period afresh, as on the desktop.
        if (control->interval > 0)
            bridge_.call<void>("startTimer", drawn.handle, control->interval);
        else
            bridge_.call<void>("stopTimer", drawn.handle);
        break;
    }
}

void DomPage::show(const WindowState& state)
{
    const auto it = windows_.find(state.id);
    if (it == windows_.end())
        return;
    auto& window = *it->second;
    if (state.visible) {
        materialize(state, window);
        window.layer = nextLayer_++;
    }
    setHidden(window.element, !state.visible);
    restack();
}

void DomPage::focus(const WindowState& state, const ControlState* control)
{
    const auto it = windows_.find(state.id);
    if (it == windows_.end())
        return;
    if (control == nullptr) {
        if (auto active = keyboardIn(it->second->element); !active.isNull())
            active.call<void>("blur");
        return;
    }
    if (const auto& drawn = it->second->controls.at(std::string(control->layout->name));
        !drawn.element.isUndefined())
        bridge_.call<void>("focus", drawn.element);
}

void DomPage::restack()
{
    // A modal window stays above everything, over a backdrop that takes the input meant for the rest; the
    // model says which one takes the input.
    const auto* active = model_.activeModal();
    const auto top = windows_.find(active == nullptr ? 0 : active->id);
    for (auto& [id, w] : windows_) {
        setStyle(w->element, "zIndex", std::to_string(w->layer * 2 + (w->modal ? 100000 : 0)));
        w->element.set("inert", active != nullptr && id != active->id);
    }
    setHidden(backdrop_, top == windows_.end());
    if (top != windows_.end())
        setStyle(backdrop_, "zIndex", std::to_string(top->second->layer * 2 + 100000 - 1));
}

void DomPage::remove(WindowId id)
{
    const auto it = windows_.find(id);
    if (it == windows_.end())
        return;
    auto gone = std::move(it->second);
    windows_.erase(it);
    for (auto& [name, control] : gone->controls) {
        if (control.timer)
            bridge_.call<void>("stopTimer", control.handle);
        handles_.erase(control.handle);
    }
    handles_.erase(gone->handle);
    gone->element.call<void>("remove");
    restack();
}

void DomPage::removeAll()
{
    while (!windows_.empty())
        remove(windows_.begin()->first);
}

} // namespace pelindra::web
