// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "web_runtime.h"

#include "runtime/conversions.h"
#include "text_layout.h"

#include <algorithm>
#include <cstdio>
#include <emscripten/bind.h>
#include <stdexcept>
#include <utility>

namespace pelindra::web {

using emscripten::val;

namespace {

// The frame a window manager would draw: the layouts give outer sizes, so the client area is what is
// left inside the title bar and a one-pixel border.
constexpr int kTitleBar = 27; // its own top border included
constexpr int kBorder = 1;

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

std::string cssColour(layout::Colour colour)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", layout::redOf(colour), layout::greenOf(colour),
                  layout::blueOf(colour));
    return buffer;
}

void setStyle(val& element, const char* property, const std::string& value)
{
    element["style"].set(property, value);
}

void setHidden(val& element, bool hidden)
{
    element.set("hidden", hidden);
}

// 1 for the link the keyboard comes to first, and so on.
int keyboardRank(const layout::Window& form, const layout::Control& control)
{
    const auto order = layout::keyboardOrder(form);
    return static_cast<int>(std::find(order.begin(), order.end(), &control) - order.begin()) + 1;
}

// The key a path is kept under: its last component, so every spelling of data.dat is the same item.

} // namespace

struct WebRuntime::Control
{
    const layout::Control* layout = nullptr;
    val element = val::undefined();
    val text = val::undefined(); // the element the caption is drawn in
    std::int32_t handle = 0;
    bool visible = true;
    std::string caption;
    std::int32_t colour = 0;
    std::int32_t top = 0;
    std::int32_t interval = 0;
    TextBox box{};
    int lines = 0;
    bool clickable = false;
};

struct WebRuntime::Window
{
    const WindowDefinition* definition = nullptr;
    val element = val::undefined();
    val client = val::undefined(); // what controls without a parent go into
    val caption = val::undefined();
    std::map<std::string, Control, std::less<>> controls;
    std::int32_t closeHandle = 0;
    std::int32_t layer = 0;
    bool modal = false;
    bool visible = false;
    std::string title;
    Handler afterClose;
    bool materialized = false;
};

WebRuntime::WebRuntime(val stage, val bridge)
    : stage_(std::move(stage)), bridge_(std::move(bridge)), document_(val::global("document"))
{
    backdrop_ = document_.call<val>("createElement", std::string("div"));
    backdrop_.set("className", std::string("backdrop"));
    setHidden(backdrop_, true);
    stage_.call<void>("appendChild", backdrop_);
}

WebRuntime::~WebRuntime() = default;

void WebRuntime::DefineWindow(WindowDefinition definition)
{
    if (definition.layout == nullptr)
        return;
    const std::string name(definition.layout->name);
    // Windows hold on to their definition while they are open; one may not change under them.
    if (definitions_.contains(name))
        throw std::logic_error("the window " + name + " is defined already");
    definitions_[name] = std::move(definition);
}

WebRuntime::Window* WebRuntime::find(std::string_view window) const
{
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

WebRuntime::Control* WebRuntime::find(Window& window, std::string_view control) const
{
    const auto it = window.controls.find(control);
    return it == window.controls.end() ? nullptr : &it->second;
}

WebRuntime::Window* WebRuntime::build(std::string_view name, bool modal)
{
    const auto def = definitions_.find(name);
    if (def == definitions_.end())
        return nullptr;
    if (auto old = windows_.find(name); old != windows_.end()) {
        auto gone = std::move(old->second);
        windows_.erase(old);
        destroy(std::move(gone));
    }
    const auto& form = *def->second.layout;
    auto window = std::make_unique<Window>();
    window->definition = &def->second;
    window->modal = modal;
    window->title = std::string(form.caption);

    auto element = document_.call<val>("createElement", std::string("div"));
    element.set("className", std::string("window"));
    element.call<void>("setAttribute", std::string("data-window"), std::string(form.name));
    element.call<void>("setAttribute", std::string("aria-label"), window->title);
    if (modal) {
        element.call<void>("setAttribute", std::string("role"), std::string("dialog"));
        element.call<void>("setAttribute", std::string("aria-modal"), std::string("true"));
    }
    setHidden(element, true);
    element["style"].set("cssText", "left:" + px(layout::kWindowLeft + kBorder) +
                                        ";top:" + px(layout::kWindowTop + kTitleBar) +
                                        ";width:" + px(form.width - 2 * kBorder) +
                                        ";height:" + px(form.height - kTitleBar - kBorder));

    auto bar = document_.call<val>("createElement", std::string("div"));
    bar.set("className", std::string("titlebar"));
    if (!form.icon.empty()) {
        auto icon = document_.call<val>("createElement", std::string("img"));
        icon.set("className", std::string("icon"));
        icon.set("alt", std::string());
        icon.set("src", std::string(form.icon));
        bar.call<void>("appendChild", icon);
    }
    window->caption = document_.call<val>("createElement", std::string("span"));
    window->caption.set("className", std::string("caption"));
    window->caption.set("textContent", window->title);
    bar.call<void>("appendChild", window->caption);
    auto close = document_.call<val>("createElement", std::string("button"));
    close.set("className", std::string("close"));
    close.set("tabIndex", -1);
    close.call<void>("setAttribute", std::string("aria-label"), std::string("关闭"));
    window->closeHandle = nextHandle_++;
    handles_[window->closeHandle] = {std::string(form.name), std::string()};
    bridge_.call<void>("closer", close, window->closeHandle);
    bar.call<void>("appendChild", close);
    element.call<void>("appendChild", bar);

    auto client = document_.call<val>("createElement", std::string("div"));
    client.set("className", std::string("client"));
    element.call<void>("appendChild", client);
    window->element = element;
    window->client = client;
    auto* w = window.get();
    windows_[std::string(form.name)] = std::move(window);

    // A window built hidden gets its elements when it is first shown; until then only its state.
    for (const auto& control : form.controls)
        addControl(*w, control);
    for (const auto& control : form.controls)
        if (control.type == layout::ControlType::Timer && control.interval > 0)
            SetProperty(form.name, control.name, Property::Interval, std::int32_t{control.interval});
    if (modal || form.visible)
        materialize(*w);
    stage_.call<void>("appendChild", element);

    if (const auto* created = def->second.handlerFor({}, Event::Created))
        (*created)();
    // Its own Created handler may have closed it again.
    return find(name) == w ? w : nullptr;
}

void WebRuntime::addControl(Window& window, const layout::Control& control)
{
    const auto& form = *window.definition->layout;
    Control state;
    state.layout = &control;
    state.visible = control.visible;
    state.top = control.geometry.top;
    state.colour = control.colour == layout::kNoColour ? layout::rgb(255, 255, 255) : control.colour;
    state.caption = std::string(control.text);
    state.lines = displayedText(state.caption).lines;
    if (layout::hasProperty(control.type, Property::Caption))
        state.box = textBox(control);
    state.clickable =
        control.type == layout::ControlType::LinkBox || control.type == layout::ControlType::LinkText;
    if (control.type == layout::ControlType::TransparentLabel &&
        window.definition->handlerFor(control.name, Event::Clicked) != nullptr)
        state.clickable = true;
    if (control.type == layout::ControlType::Timer || state.clickable) {
        state.handle = nextHandle_++;
        handles_[state.handle] = {std::string(form.name), std::string(control.name)};
    }
    window.controls.emplace(std::string(control.name), std::move(state));
}

void WebRuntime::materialize(Window& window)
{
    if (window.materialized)
        return;
    window.materialized = true;
    const auto& form = *window.definition->layout;
    for (std::size_t i = 0; i < form.controls.size(); ++i)
        makeElement(window, form.controls[i], i);
}

void WebRuntime::makeElement(Window& window, const layout::Control& control, std::size_t index)
{
    auto* state = find(window, control.name);
    if (state == nullptr || !state->element.isUndefined() || control.type == layout::ControlType::Timer)
        return;
    const auto& form = *window.definition->layout;
    val parent = window.client;
    if (!control.parent.empty()) {
        if (const auto* p = layout::find(form, control.parent)) {
            makeElement(window, *p, static_cast<std::size_t>(p - form.controls.data()));
            if (auto* built = find(window, control.parent); built && !built->element.isUndefined())
                parent = built->element;
        }
    }

    auto element = document_.call<val>("createElement", std::string(state->clickable ? "button" : "div"));
    std::string classes = "ctl";
    switch (control.type) {
    case layout::ControlType::PictureBox:
        classes += " picture";
        break;
    case layout::ControlType::GroupBox:
        classes += " group";
        break;
    case layout::ControlType::TransparentLabel:
        classes += " label";
        break;
    case layout::ControlType::Label:
        classes += " label decorated";
        break;
    case layout::ControlType::LinkBox:
        classes += " linkbox";
        break;
    case layout::ControlType::LinkText:
        classes += " linktext";
        break;
    case layout::ControlType::Timer:
        break;
    }
    element.set("className", classes);
    element.call<void>("setAttribute", std::string("data-control"), std::string(control.name));
    const auto& g = control.geometry;
    // Topmost first in the layout; a control's children stay within it, as child widgets do.
    element["style"].set("cssText", "left:" + px(g.left) + ";top:" + px(state->top) +
                                        ";width:" + px(g.width) + ";height:" + px(g.height) +
                                        ";z-index:" + std::to_string(form.controls.size() - index));
    setHidden(element, !state->visible);

    if (control.type == layout::ControlType::PictureBox) {
        auto picture = document_.call<val>("createElement", std::string("img"));
        picture.set("className", std::string(control.fit == layout::Fit::Scaled ? "scaled" : "natural"));
        picture.set("alt", std::string());
        picture.set("draggable", false);
        picture.set("src", std::string(control.picture));
        element.call<void>("appendChild", picture);
    }

    if (layout::hasProperty(control.type, Property::Caption)) {
        const auto& box = state->box;
        auto text = document_.call<val>("createElement", std::string("span"));
        text.set("className", std::string("text"));
        std::string css = "left:" + px(box.left) + ";width:" + px(box.width) +
                          ";font-size:" + px(box.pixels) + ";line-height:" + px(box.pixels) +
                          ";top:" + px(lineTop(box, state->lines));
        if (!box.families.empty())
            css += ";font-family:" + box.families;
        if (box.weight >= 700)
            css += ";font-weight:700";
        if (box.italic)
            css += ";font-style:italic";
        if (box.underline)
            css += ";text-decoration:underline";
        if (control.wordWrap)
            css += ";white-space:pre-wrap";
        if (control.align == layout::Align::Centre || control.type == layout::ControlType::Label)
            css += ";text-align:center";
        if (control.type == layout::ControlType::TransparentLabel ||
            control.type == layout::ControlType::Label)
            css += ";color:" + cssColour(state->colour);
        if (control.type == layout::ControlType::Label)
            css += ";-webkit-text-stroke:" + px(std::max(1.5, box.pixels / 24.0)) + " #ffffff";
        text["style"].set("cssText", css);
        text.set("textContent", displayedText(state->caption).text);
        element.call<void>("appendChild", text);
        state->text = text;
    }

    if (state->clickable) {
        // The digits answer the mouse only, as on the desktop; links take the keyboard's focus in
        // reading order, which is the desktop's focus chain.
        element.set("tabIndex", control.type == layout::ControlType::TransparentLabel
                                    ? -1
                                    : keyboardRank(*window.definition->layout, control));
        bridge_.call<void>("clickable", element, state->handle,
                           control.type != layout::ControlType::TransparentLabel);
    }
    if (control.handCursor)
        element.call<void>("setAttribute", std::string("data-hand"), std::string("1"));

    parent.call<void>("appendChild", element);
    state->element = element;
}

void WebRuntime::setText(Control& control, const std::string& text)
{
    // The page redraws what is written to it, the same text included.
    if (text == control.caption)
        return;
    const auto shown = displayedText(text);
    control.caption = text;
    const bool moved = shown.lines != control.lines;
    control.lines = shown.lines;
    if (control.text.isUndefined())
        return;
    control.text.set("textContent", shown.text);
    if (moved)
        setStyle(control.text, "top", px(lineTop(control.box, shown.lines)));
}

void WebRuntime::show(Window& window, bool visible)
{
    if (visible)
        materialize(window);
    window.visible = visible;
    setHidden(window.element, !visible);
    if (visible)
        window.layer = nextLayer_++;
    restack();
    if (visible)
        focusFirstAction(window);
}

void WebRuntime::focusFirstAction(Window& window)
{
    // The keyboard starts where the desktop's does, so that Enter on a fresh window does what it says.
    auto* first = find(window, window.definition->layout->firstAction);
    if (first != nullptr && !first->element.isUndefined() && shown(window, *first) && !blocked(window))
        bridge_.call<void>("focus", first->element);
}

void WebRuntime::restack()
{
    // A modal window stays above everything, over a backdrop that takes the input meant for the rest.
    const Window* top = nullptr;
    for (const auto& [name, w] : windows_) {
        setStyle(w->element, "zIndex", std::to_string(w->layer * 2 + (w->modal ? 100000 : 0)));
        if (w->modal && (top == nullptr || w->layer > top->layer))
            top = w.get();
    }
    for (auto& [name, w] : windows_)
        w->element.set("inert", top != nullptr && w.get() != top);
    setHidden(backdrop_, top == nullptr);
    if (top != nullptr)
        setStyle(backdrop_, "zIndex", std::to_string(top->layer * 2 + 100000 - 1));
}

bool WebRuntime::blocked(const Window& window) const
{
    for (const auto& [name, w] : windows_)
        if (w->modal && w.get() != &window && w->layer > window.layer)
            return true;
    return false;
}

bool WebRuntime::shown(const Window& window, const Control& control) const
{
    if (!window.visible)
        return false;
    const auto& form = *window.definition->layout;
    for (const auto* c = control.layout; c != nullptr;) {
        const auto it = window.controls.find(c->name);
        if (it == window.controls.end() || !it->second.visible)
            return false;
        c = c->parent.empty() ? nullptr : layout::find(form, c->parent);
    }
    return true;
}

void WebRuntime::destroy(std::unique_ptr<Window> window)
{
    for (auto& [name, control] : window->controls) {
        if (control.layout->type == layout::ControlType::Timer && control.interval > 0)
            bridge_.call<void>("stopTimer", control.handle);
        handles_.erase(control.handle);
    }
    handles_.erase(window->closeHandle);
    window->element.call<void>("remove");
    restack();
}

void WebRuntime::OpenStartWindow(std::string_view window)
{
    if (auto* w = build(window, false))
        show(*w, true);
    bridge_.call<void>("reveal");
}

void WebRuntime::RunMessageLoop()
{
    // The browser's own loop delivers the events; there is nothing to wait in.
}

void WebRuntime::RegisterCleanup(std::function<void()> routine)
{
    cleanup_ = std::move(routine);
}

void WebRuntime::ExitProgram(int code)
{
    if (exiting_)
        return;
    exiting_ = true;
    if (cleanup_)
        cleanup_();
    posted_.clear();
    auto windows = std::move(windows_);
    windows_.clear();
    for (auto& [name, w] : windows)
        destroy(std::move(w));
    bridge_.call<void>("exited", code);
}

void WebRuntime::LoadWindow(std::string_view window, bool modal, Handler afterClose)
{
    if (exiting_)
        return;
    auto* w = build(window, modal);
    if (w == nullptr) {
        // Closed by its own Created handler: a modal window is over before it began.
        if (modal && afterClose)
            post(std::move(afterClose));
        return;
    }
    if (!modal) {
        if (w->definition->layout->visible)
            show(*w, true);
        return;
    }
    w->afterClose = std::move(afterClose);
    show(*w, true);
}

void WebRuntime::CloseWindow(std::string_view window)
{
    const auto it = windows_.find(window);
    if (it == windows_.end())
        return;
    auto gone = std::move(it->second);
    windows_.erase(it);
    if (gone->afterClose)
        post(std::exchange(gone->afterClose, {}));
    destroy(std::move(gone));
}

void WebRuntime::userClose(Window& window)
{
    if (const auto* closed = window.definition->handlerFor({}, Event::Closed)) {
        (*closed)();
        return;
    }
    CloseWindow(window.definition->layout->name);
}

void WebRuntime::SetProperty(std::string_view window, std::string_view control, Property property,
                             const PropertyValue& value)
{
    auto* w = find(window);
    if (w == nullptr)
        return;
    if (control.empty()) {
        if (property == Property::Visible) {
            show(*w, integerOf(value) != 0);
        } else if (property == Property::Caption) {
            w->title = textOf(value);
            w->caption.set("textContent", w->title);
            w->element.call<void>("setAttribute", std::string("aria-label"), w->title);
        }
        return;
    }
    auto* c = find(*w, control);
    if (c == nullptr || !layout::hasProperty(c->layout->type, property))
        return;
    switch (property) {
    case Property::Visible:
        if (c->visible == (integerOf(value) != 0))
            break;
        c->visible = integerOf(value) != 0;
        if (!c->element.isUndefined())
            setHidden(c->element, !c->visible);
        if (c->visible && c->layout->name == w->definition->layout->firstAction && w->visible)
            focusFirstAction(*w);
        break;
    case Property::Caption:
        setText(*c, textOf(value));
        break;
    case Property::TextColour:
        if (c->colour == integerOf(value))
            break;
        c->colour = integerOf(value);
        if (!c->text.isUndefined())
            setStyle(c->text, "color", cssColour(c->colour));
        break;
    case Property::Top:
        c->top = integerOf(value);
        if (!c->element.isUndefined())
            setStyle(c->element, "top", px(c->top));
        break;
    case Property::Interval: {
        const auto interval = std::max<std::int32_t>(0, integerOf(value));
        // A new positive interval starts the period afresh, as on the desktop.
        c->interval = interval;
        if (interval > 0)
            bridge_.call<void>("startTimer", c->handle, interval);
        else
            bridge_.call<void>("stopTimer", c->handle);
        break;
    }
    }
}

PropertyValue WebRuntime::GetProperty(std::string_view window, std::string_view control, Property property)
{
    const auto none = property == Property::Caption ? PropertyValue{std::string{}} : PropertyValue{0};
    auto* w = find(window);
    if (w == nullptr)
        return none;
    if (control.empty()) {
        if (property == Property::Caption)
            return w->title;
        return std::int32_t{w->visible ? 1 : 0};
    }
    auto* c = find(*w, control);
    if (c == nullptr || !layout::hasProperty(c->layout->type, property))
        return none;
    switch (property) {
    case Property::Visible:
        return std::int32_t{c->visible ? 1 : 0};
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

void WebRuntime::receive(PageEvent event, std::int32_t target)
{
    enter([&] {
        if (exiting_)
            return;
        if (event == PageEvent::Escape) {
            Window* top = nullptr;
            for (auto& [name, w] : windows_)
                if (w->modal && w->visible && (top == nullptr || w->layer > top->layer))
                    top = w.get();
            if (top != nullptr)
                userClose(*top);
            return;
        }
        const auto it = handles_.find(target);
        if (it == handles_.end())
            return;
        const auto [windowName, controlName] = it->second;
        auto* w = find(windowName);
        if (w == nullptr)
            return;
        if (event == PageEvent::CloseRequest) {
            if (w->visible && !blocked(*w))
                userClose(*w);
            return;
        }
        auto* c = find(*w, controlName);
        if (c == nullptr)
            return;
        const Event raised = event == PageEvent::Tick ? Event::Tick : Event::Clicked;
        if (raised == Event::Tick && c->interval <= 0)
            return;
        if (raised == Event::Clicked && (!shown(*w, *c) || blocked(*w)))
            return;
        if (const auto* handler = w->definition->handlerFor(controlName, raised))
            (*handler)();
    });
}

void WebRuntime::enter(const std::function<void()>& work)
{
    ++depth_;
    work();
    --depth_;
    if (depth_ == 0)
        settle();
}

void WebRuntime::post(Handler action)
{
    posted_.push_back(std::move(action));
}

void WebRuntime::settle()
{
    ++depth_;
    while (!posted_.empty() && !exiting_) {
        auto action = std::move(posted_.front());
        posted_.pop_front();
        if (action)
            action();
    }
    --depth_;
}

void WebRuntime::ReportProblem(std::string_view line)
{
    bridge_.call<void>("warn", std::string(line));
}

namespace {

void receiveFromPage(std::uintptr_t runtime, std::int32_t event, std::int32_t target)
{
    reinterpret_cast<WebRuntime*>(runtime)->receive(static_cast<PageEvent>(event), target);
}

} // namespace

EMSCRIPTEN_BINDINGS(pelindra_web_runtime)
{
    emscripten::function("pelindraReceive", &receiveFromPage);
}

} // namespace pelindra::web
