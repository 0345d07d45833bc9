// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "web_runtime.h"

#include <emscripten/bind.h>
#include <utility>

namespace pelindra::web {

using emscripten::val;

WebRuntime::WebRuntime(val stage, val bridge)
    : StandardRuntime(static_cast<WindowSurface&>(*this)), bridge_(bridge),
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

void WebRuntime::receive(PageEvent event, std::int32_t target)
{
    enter([&] {
        if (event == PageEvent::Escape) {
            model_.escape();
            return;
        }
        const auto* at = page_.target(target);
        if (at == nullptr)
            return;
        const auto [window, control] = *at;
        if (event >= PageEvent::MoveLeft && event <= PageEvent::MoveDown) {
            const auto* state = model_.window(window);
            const auto direction =
                static_cast<Direction>(static_cast<int>(event) - static_cast<int>(PageEvent::MoveLeft));
            if (state != nullptr)
                page_.focus(*state, model_.neighbour(*state, control, direction));
        } else if (event == PageEvent::CloseRequest)
            model_.requestClose(window);
        else if (event == PageEvent::Tick)
            model_.tick(window, control);
        else
            model_.click(window, control);
    });
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
