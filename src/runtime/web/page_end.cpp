// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_end.h"

#include "web_runtime.h"

#include <cstdint>
#include <emscripten/bind.h>

namespace pelindra::web {
namespace {

void endingFromPage(std::uintptr_t runtime)
{
    auto* rt = reinterpret_cast<WebRuntime*>(runtime);
    rt->enter([rt] { rt->ProgramEnding(); });
}

} // namespace

void watchPageEnd(WebRuntime& runtime)
{
    emscripten::val::module_property("pelindraPageEnd")
        .call<void>("attach", reinterpret_cast<std::uintptr_t>(&runtime));
}

EMSCRIPTEN_BINDINGS(pelindra_page_end)
{
    emscripten::function("pelindraEnding", &endingFromPage);
}

} // namespace pelindra::web
