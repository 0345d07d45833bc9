// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "web_runtime.h"

#include <emscripten/bind.h>
#include <utility>

namespace pelindra::web {

using emscripten::val;

WebRuntime::WebRuntime(SettingsStore& store, val stage, val bridge)
    : StandardRuntime(static_cast<WindowSurface&>(*this)), store_(store), bridge_(bridge),
      page_(model_, std::move(stage), bridge)
{}

WebRuntime::~WebRuntime() = default;

void WebRuntime::OpenStartWindow(std::string_view window)
{
    StandardRuntime::OpenStartWindow(window);
    bridge_.call<void>("reveal");
}

void WebRuntime::RunMessageLoop()
{
    // The browser's own loop delivers the events; there is nothing to wait in.
}

void WebRuntime::ended(int code)
{
    page_.removeAll();
    bridge_.call<void>("exited", code);
}

Cursor WebRuntime::receive(PageEvent event, std::int32_t target, std::int32_t argument, Point at, Point to)
{
    Cursor cursor = Cursor::Arrow;
    enter([&] {
        if (event == PageEvent::Refit)
            return page_.refit(argument);
        const auto* found = page_.target(target);
        if (event == PageEvent::Key)
            model_.key(found == nullptr ? 0 : found->first, static_cast<Key>(argument));
        if (found == nullptr)
            return;
        const auto [window, control] = *found;
        if (event == PageEvent::Pointer)
            cursor = model_.pointer(window, static_cast<PointerAction>(argument), at, page_.reach(window));
        else if (event == PageEvent::CloseRequest)
            model_.requestClose(window);
        else if (event == PageEvent::Tick)
            model_.tick(window, control);
        else if (event == PageEvent::Activate && control.empty())
            model_.pressAt(window, at, to, page_.reach(window));
        else if (event == PageEvent::Activate)
            model_.click(window, control);
    });
    return cursor;
}

void WebRuntime::enter(const std::function<void()>& work)
{
    work();
    model_.settle();
}

void WebRuntime::ReportProblem(std::string_view line)
{
    bridge_.call<void>("warn", std::string(line));
}

namespace {

std::int32_t receiveFromPage(std::uintptr_t runtime, std::int32_t event, std::int32_t target,
                             std::int32_t argument, std::int32_t x, std::int32_t y, std::int32_t toX,
                             std::int32_t toY)
{
    return static_cast<std::int32_t>(reinterpret_cast<WebRuntime*>(runtime)->receive(
        static_cast<PageEvent>(event), target, argument, {x, y}, {toX, toY}));
}

} // namespace

EMSCRIPTEN_BINDINGS(pelindra_web_runtime)
{
    emscripten::function("pelindraReceive", &receiveFromPage);
}

} // namespace pelindra::web
