// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/game_state.h"
#include "runtime/web/local_storage.h"
#include "runtime/web/page_end.h"
#include "runtime/web/web_runtime.h"
#include "screens/program.h"

#include <cstdint>
#include <emscripten/val.h>

namespace {

// Lives as long as the page does: the browser's loop goes on delivering events once main has returned.
struct Session
{
    Session(emscripten::val stage, emscripten::val bridge)
        : runtime(store, std::move(stage), std::move(bridge))
    {}

    pelindra::web::LocalStorage store;
    pelindra::web::WebRuntime runtime;
    pelindra::GameState state;
};

} // namespace

int main()
{
    using emscripten::val;
    const auto bridge = val::module_property("pelindra");
    auto* session =
        new Session(val::global("document").call<val>("getElementById", std::string("stage")), bridge);
    bridge.call<void>("attach", reinterpret_cast<std::uintptr_t>(&session->runtime));
    pelindra::web::watchPageEnd(session->runtime);
    session->runtime.enter([session] { pelindra::startProgram(session->runtime, session->state); });
    return 0;
}
