// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What windows do, the same under every runtime: the windows built from their layouts, the properties
// of their controls, what the player can reach, the modal stack, the timers that run and the work that
// waits for the running handler. A runtime is this model and a surface that draws what it is told and
// hands input and timer ticks back, naming the window it drew by its id.

#include "runtime/layout.h"
#include "runtime/runtime.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelindra {

// One build of a window; a window loaded again is another. 0 is none.
using WindowId = std::uint64_t;

struct ControlState
{
    const layout::Control* layout = nullptr;
    bool visible = true;
    std::string caption;
    std::int32_t colour = 0;
    std::int32_t top = 0;
    std::int32_t interval = 0; // 0: the timer is stopped
};

struct WindowState
{
    WindowId id = 0;
    const WindowDefinition* definition = nullptr;
    bool modal = false;
    bool visible = false;
    std::string caption;
    WindowId owner = 0;                 // for a modal window: the window whose handler loaded it, if any
    std::string opener;                 // and the control whose handler that was, if any
    std::vector<ControlState> controls; // in layout order

    const layout::Window& form() const { return *definition->layout; }
    std::string_view name() const { return form().name; }
    const ControlState* control(std::string_view name) const;
    ControlState* control(std::string_view name);
    // Whether the control answers clicks at all: a link always, a label when a handler is bound to them.
    bool clickable(const ControlState& control) const;
};

// How a runtime shows the model. Every call comes after the model has changed.
class WindowSurface
{
public:
    virtual ~WindowSurface() = default;

    // Built, not yet shown; its timers are started through changed() right after.
    virtual void built(const WindowState& window) = 0;
    // Closed or replaced: never drawn again. Whatever the surface still delivers for it is refused.
    virtual void destroyed(WindowId window) = 0;
    // A property changed: the window's own when control is nullptr. An interval is told every time it
    // is set, since setting one restarts its period.
    virtual void changed(const WindowState& window, const ControlState* control, Property property) = 0;
    // Shown as the end of its load.
    virtual void opened(const WindowState& window) = 0;
    // The keyboard goes to control: a modal window that had it has closed.
    virtual void focus(const WindowState& /*window*/, const ControlState& /*control*/) {}
    // A handler is about to run.
    virtual void handling(const WindowState& /*window*/, std::string_view /*control*/, Event /*event*/) {}
    // Work is waiting: call settle() once no handler runs.
    virtual void wake() {}
    // The program ends: the surface takes its windows down, and the model takes no input any more.
    virtual void ended(int /*code*/) {}
};

// An arrow key.
enum class Direction : std::uint8_t
{
    Left,
    Right,
    Up,
    Down
};

// Every control of the window that is drawn, in reading order: lines from the top down, left to right
// along a line, each container followed at once by what it holds, read the same way. Screen readers
// hear a window in this order and Tab walks its clickable controls in it.
std::vector<const ControlState*> readingOrder(const WindowState& window);

class WindowModel
{
public:
    // A strict model throws std::logic_error on a name no layout has, or a property a control lacks,
    // where a forgiving one ignores the write and reads 0 or "".
    explicit WindowModel(WindowSurface& surface, bool strict = false);
    ~WindowModel();
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    void define(WindowDefinition definition);
    const WindowDefinition* definition(std::string_view window) const;

    void openStart(std::string_view window);
    void load(std::string_view window, bool modal, Handler afterClose);
    void close(std::string_view window);
    void set(std::string_view window, std::string_view control, Property property,
             const PropertyValue& value);
    PropertyValue get(std::string_view window, std::string_view control, Property property) const;
    void registerCleanup(std::function<void()> routine) { cleanup_ = std::move(routine); }
    // False when the program was ending already.
    bool exit(int code);
    bool exiting() const { return exiting_; }

    // The open build of a window, by name or by id; a closed or replaced one is nullptr.
    const WindowState* window(std::string_view name) const;
    const WindowState* window(WindowId id) const;
    std::vector<const WindowState*> windows() const;
    const std::vector<WindowId>& modalStack() const { return modals_; }
    // The window that takes all input: the topmost shown modal window; nullptr when there is none.
    const WindowState* activeModal() const;
    bool blocked(const WindowState& window) const;
    // Visible, in a visible window, and every container it lies in visible too.
    bool shown(const WindowState& window, const ControlState& control) const;

    // The keyboard. The model says where it goes; each surface moves it there. A control takes it when
    // the player could click it now.
    bool takesKeyboard(const WindowState& window, const ControlState& control) const;
    // Where it goes as the window shows, or as the control that had it goes away: the window's first
    // action, else the control that has it now (current) while that still takes it, else the first in
    // reading order that does.
    const ControlState* keyboardEntry(const WindowState& window, std::string_view current = {}) const;
    // The next control that takes it after control in reading order, round the end: Tab, or Shift+Tab
    // when backwards.
    const ControlState* nextForKeyboard(const WindowState& window, std::string_view control,
                                        bool backwards = false) const;
    // From a clickable label of a grid, the nearest one that takes the keyboard in that direction on
    // its row or column; nullptr at the edge.
    const ControlState* neighbour(const WindowState& window, std::string_view control,
                                  Direction direction) const;

    // Input, from the player or the clock. Each is refused (false) when what it names is gone, or the
    // player cannot reach it; true when the window took it.
    bool click(WindowId window, std::string_view control);
    bool tick(WindowId window, std::string_view timer);
    bool requestClose(WindowId window); // the close button of its title bar
    bool escape();                      // closes the active modal window
    // Runs the handler bound to the event, unless the window is gone or the program ends; false when
    // none is bound.
    bool raise(WindowId window, std::string_view control, Event event);

    // Work that waits for the running handler, run by settle() once no handler runs.
    void post(Handler work, WindowId actingFor = 0);
    void settle();

private:
    // The open build of a window; nullptr when it is not open, and for a name no layout has (which a
    // strict model refuses).
    WindowState* open(std::string_view name) const;
    // Shown at the end whatever its layout says when show is set.
    void load(std::string_view name, bool modal, Handler afterClose, bool show);
    WindowState* build(std::string_view name, bool modal, std::pair<WindowId, std::string> owner);
    void destroy(std::string_view name);
    void refuse(const std::string& what) const;
    // The innermost window whose handler runs and is still open, with the control it runs for.
    std::pair<WindowId, std::string> acting() const;
    void returnKeyboard(WindowId owner, std::string_view opener);

    WindowSurface& surface_;
    bool strict_;
    std::map<std::string, WindowDefinition, std::less<>> definitions_;
    std::map<std::string, std::unique_ptr<WindowState>, std::less<>> windows_;
    // What waits for each modal window to close, across its loads.
    std::map<std::string, std::vector<Handler>, std::less<>> afterClose_;
    std::vector<WindowId> modals_; // from the bottom up
    // Whose handlers or continuations run, innermost last; a modal window loaded now belongs to the
    // innermost of them that is still open.
    std::vector<std::pair<WindowId, std::string>> acting_;
    std::deque<std::pair<Handler, WindowId>> posted_;
    std::function<void()> cleanup_;
    WindowId nextId_ = 1;
    int depth_ = 0; // handlers running
    bool exiting_ = false;
};

// The runtime operations that are the model's alone.
class ModelRuntime : public Runtime
{
public:
    explicit ModelRuntime(WindowSurface& surface, bool strict = false) : model_(surface, strict) {}

    void DefineWindow(WindowDefinition definition) override { model_.define(std::move(definition)); }
    void OpenStartWindow(std::string_view window) override { model_.openStart(window); }
    void RegisterCleanup(std::function<void()> routine) override
    {
        model_.registerCleanup(std::move(routine));
    }
    void ExitProgram(int code) override { model_.exit(code); }
    void LoadWindow(std::string_view window, bool modal, Handler afterClose) override
    {
        model_.load(window, modal, std::move(afterClose));
    }
    void CloseWindow(std::string_view window) override { model_.close(window); }
    void SetProperty(std::string_view window, std::string_view control, Property property,
                     const PropertyValue& value) override
    {
        model_.set(window, control, property, value);
    }
    PropertyValue GetProperty(std::string_view window, std::string_view control, Property property) override
    {
        return model_.get(window, control, property);
    }

    const WindowModel& model() const { return model_; }

protected:
    WindowModel model_;
};

} // namespace pelindra
