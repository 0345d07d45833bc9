// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The runtime in a web page. Windows are elements on a stage, controls are elements inside them, and
// the state the game reads back (visibility, captions, colours, tops, intervals) is kept here, so that
// no read has to ask the DOM. Events come in from the page through one entry point, and whatever has to
// wait for the handler that is running (the code after a modal window) runs as that entry returns.

#include "local_storage.h"
#include "runtime/layout.h"
#include "runtime/standard_runtime.h"

#include <cstdint>
#include <deque>
#include <emscripten/val.h>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace pelindra::web {

// What the page reports to the runtime.
enum class PageEvent : std::int32_t
{
    Activate = 0,     // a click, a tap, Enter or Space on a control
    CloseRequest = 1, // the close button of a window's title bar
    Tick = 2,         // a timer fell due
    Escape = 3,       // Escape, which closes the topmost modal window as on the desktop
};

class WebRuntime final : public StandardRuntime
{
public:
    // stage: the element the windows are placed on; bridge: the page's side (bridge.js).
    WebRuntime(emscripten::val stage, emscripten::val bridge);
    ~WebRuntime() override;

    void DefineWindow(WindowDefinition definition) override;
    void OpenStartWindow(std::string_view window) override;
    void RunMessageLoop() override;
    void RegisterCleanup(std::function<void()> routine) override;
    void ExitProgram(int code) override;
    void LoadWindow(std::string_view window, bool modal, Handler afterClose) override;
    void CloseWindow(std::string_view window) override;
    void SetProperty(std::string_view window, std::string_view control, Property property,
                     const PropertyValue& value) override;
    PropertyValue GetProperty(std::string_view window, std::string_view control, Property property) override;
    SettingsStore& Store() override { return store_; }
    void ReportProblem(std::string_view line) override;

    // Everything the page reports goes through here; target is the handle the runtime gave out.
    void receive(PageEvent event, std::int32_t target);
    // Runs start-up work as an entry of its own, so that what it posts runs once it has returned.
    void enter(const std::function<void()>& work);

    bool exiting() const { return exiting_; }

private:
    struct Control;
    struct Window;

    Window* find(std::string_view window) const;
    Control* find(Window& window, std::string_view control) const;
    Window* build(std::string_view window, bool modal);
    void addControl(Window& window, const layout::Control& control);
    void materialize(Window& window);
    void makeElement(Window& window, const layout::Control& control, std::size_t index);
    void show(Window& window, bool visible);
    void focusFirstAction(Window& window);
    void destroy(std::unique_ptr<Window> window);
    void userClose(Window& window);
    void restack();
    bool blocked(const Window& window) const;
    bool shown(const Window& window, const Control& control) const;
    void setText(Control& control, const std::string& text);
    void post(Handler action);
    void settle();

    LocalStorage store_;
    emscripten::val stage_;
    emscripten::val bridge_;
    emscripten::val document_;
    emscripten::val backdrop_ = emscripten::val::undefined();
    std::map<std::string, WindowDefinition, std::less<>> definitions_;
    std::map<std::string, std::unique_ptr<Window>, std::less<>> windows_;
    std::map<std::int32_t, std::pair<std::string, std::string>> handles_; // handle -> window, control
    std::deque<Handler> posted_;
    std::function<void()> cleanup_;
    std::int32_t nextHandle_ = 1;
    std::int32_t nextLayer_ = 1;
    int depth_ = 0;
    bool exiting_ = false;
};

} // namespace pelindra::web
