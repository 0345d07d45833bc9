// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The windows as elements on a stage and their controls as elements inside them, drawn from the window
// model. What the page reports comes back under a handle, which names a build of a window and a control.

#include "runtime/look.h"
#include "runtime/window_model.h"

#include <cstdint>
#include <emscripten/val.h>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace pelindra::web {

class DomPage
{
public:
    // stage: the element the windows are placed on; bridge: the page's side (bridge.js).
    DomPage(const WindowModel& model, emscripten::val stage, emscripten::val bridge);
    ~DomPage();
    DomPage(const DomPage&) = delete;
    DomPage& operator=(const DomPage&) = delete;

    void build(const WindowState& window);
    void remove(WindowId window);
    void removeAll();
    void draw(const WindowState& window, const ControlState* control, Property property);
    // Shows or hides the window as the model has it.
    void show(const WindowState& window);

    // The keyboard to that control, or away from the window's controls for none.
    void focus(const WindowState& window, const ControlState* control);
    // The pointer's looks of a control, as the model has them.
    void look(const WindowState& window, const ControlState& control);
    // A finger takes reach CSS px of the stage as it is scaled now: every clickable control takes the
    // pointer as far as the model says it reaches.
    void refit(int reach);
    Reach reach(WindowId window) const;

    // The window and control (none for the window's close button) a handle stands for, or nullptr.
    const std::pair<WindowId, std::string>* target(std::int32_t handle) const;

private:
    struct Control;
    struct Window;

    void materialize(const WindowState& state, Window& window);
    void makeElement(const WindowState& state, Window& window, const ControlState& control);
    void reachOut(const WindowState& state, const Control& drawn, const ControlState& control) const;
    void restack();
    emscripten::val make(const char* tag, const std::string& className) const;
    std::int32_t handle(WindowId window, std::string control);

    const WindowModel& model_;
    emscripten::val stage_;
    emscripten::val bridge_;
    emscripten::val maker_; // where elements come from: the page's own, or new ones
    emscripten::val backdrop_ = emscripten::val::undefined();
    std::map<WindowId, std::unique_ptr<Window>> windows_;
    std::map<std::int32_t, std::pair<WindowId, std::string>> handles_;
    std::int32_t nextHandle_ = 1;
    std::int32_t nextLayer_ = 1;
    int reach_ = 0;
};

} // namespace pelindra::web
