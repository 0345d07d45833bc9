// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The runtime in a web page: the window model, drawn by a DomPage, so that no read has to ask the DOM.
// Events come in from the page through one entry point, and whatever has to wait for the handler that
// is running (the code after a modal window) runs as that entry returns.

#include "dom_page.h"
#include "runtime/settings_store.h"
#include "runtime/standard_runtime.h"

#include <cstdint>
#include <emscripten/val.h>
#include <string>
#include <string_view>

namespace pelindra::web {

// What the page reports to the runtime, in the window model's terms.
enum class PageEvent : std::int32_t
{
    // A press the program's pointer did not follow: of a control, by assistive technology or a key
    // before start-up; or of a window, where a pointer went down (at) and came up (to) before start-up.
    Activate = 0,
    CloseRequest = 1, // the close button of a window's title bar
    Tick = 2,         // a timer fell due
    Key = 3,          // a key (argument) in a window, or in none that the page can tell (0)
    Pointer = 4,      // the pointer (argument) at a point of a window's client area
    Refit = 5,        // the stage was scaled: a finger takes reach (argument) CSS px of it
};

class WebRuntime final : private WindowSurface, public StandardRuntime
{
public:
    // store: where the record is kept; stage: the element the windows are placed on; bridge: the page's
    // side (bridge.js).
    WebRuntime(SettingsStore& store, emscripten::val stage, emscripten::val bridge);
    ~WebRuntime() override;

    void OpenStartWindow(std::string_view window) override;
    void RunMessageLoop() override;
    SettingsStore& Store() override { return store_; }
    void ReportProblem(std::string_view line) override;

    // Everything the page reports goes through here; target is the handle the page gave out. Returns
    // the cursor to show, for the pointer.
    Cursor receive(PageEvent event, std::int32_t target, std::int32_t argument, Point at, Point to = {});
    // Runs start-up work as an entry of its own, so that what it posts runs once it has returned.
    void enter(const std::function<void()>& work);

private:
    void built(const WindowState& window) override { page_.build(window); }
    void destroyed(WindowId window) override { page_.remove(window); }
    void changed(const WindowState& window, const ControlState* control, Property property) override
    {
        page_.draw(window, control, property);
    }
    void opened(const WindowState& window) override { page_.show(window); }
    void focus(const WindowState& window, const ControlState* control, bool) override
    {
        page_.focus(window, control);
    }
    void looked(const WindowState& window, const ControlState& control) override
    {
        page_.look(window, control);
    }
    // Events come in through receive(), which settles the model as it returns.
    void wake() override {}
    void ended(int code) override;

    SettingsStore& store_;
    emscripten::val bridge_;
    DomPage page_;
};

} // namespace pelindra::web
