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
    // The pointer's looks, on controls that answer clicks: over it, and pressed on it and still over it.
    bool hovered = false;
    bool pressed = false;
};

struct WindowState
{
    WindowId id = 0;
    const WindowDefinition* definition = nullptr;
    bool modal = false;
    bool visible = false;
    std::string caption;
    WindowId owner = 0;                 // for a modal window: the window it belongs to, if any
    std::string opener;                 // and the control whose handler loaded it, if any
    std::vector<ControlState> controls; // in layout order
    std::string keyboard;               // the control that has the keyboard in this window, if any

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
    // The keyboard of window moved to control (nullptr: to none of them). With activate, the window
    // also becomes the one the keys go to: the player is brought back to it.
    virtual void focus(const WindowState& window, const ControlState* control, bool activate) = 0;
    // The control's pointer looks (hovered, pressed) changed.
    virtual void looked(const WindowState& window, const ControlState& control) = 0;
    // A handler is about to run.
    virtual void handling(const WindowState& /*window*/, std::string_view /*control*/, Event /*event*/) {}
    // Work is waiting: the surface calls settle() soon, once no handler runs.
    virtual void wake() = 0;
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

// The keys the windows answer, in the model's terms: each surface translates its platform's into these.
enum class Key : std::uint8_t
{
    Next,     // Tab
    Previous, // Shift+Tab
    Left,
    Right,
    Up,
    Down,
    Activate, // Enter or Space, not repeated while held
    Escape,
};

// What the player last used: any key, or any button of the pointer.
enum class Input : std::uint8_t
{
    Keys,
    Pointer,
};

// What the pointer did, at a point of a window's client area.
enum class PointerAction : std::uint8_t
{
    Move,
    Press, // the main button
    Release,
    Leave, // out of the window's client area
};

enum class Cursor : std::uint8_t
{
    Arrow,
    Hand,
};

struct Point
{
    int x = 0;
    int y = 0;
};

// Where controls take the pointer. A clickable control smaller than size either way takes it on a band
// size wide centred on it, as far as the room it lies in allows: a finger on a small screen. client is
// the window's client area, which a top-level control's band stays inside.
struct Reach
{
    int size = 0;
    layout::Rect client{};
};

// Every control of the window that is drawn, in reading order: lines from the top down, left to right
// along a line, each container followed at once by what it holds, read the same way. Screen readers
// hear a window in this order and Tab walks its clickable controls in it.
std::vector<const ControlState*> readingOrder(const WindowState& window);

// Where the control stands in its window's client area now, through the containers it lies in.
layout::Rect placeOf(const WindowState& window, const ControlState& control);

// A label that answers nothing: the pointer goes through it to whatever lies beneath.
bool letsPointerThrough(const WindowState& window, const ControlState& control);

// What a screen reader says for the control: what it shows, or for a clickable control that shows
// nothing, that it is empty.
std::string spokenName(const WindowState& window, const ControlState& control);

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

    // The keyboard. Each window's goes to a control that takes it: one the player could click now. It
    // goes to the window's first action as the window shows and whenever that action shows again, else
    // stays where it is while that still takes it, else to the first in reading order that does; it
    // moves on in reading order when the control that has it, or a container of it, is hidden; and it
    // goes back to the control that opened a modal window when that closes.
    bool takesKeyboard(const WindowState& window, const ControlState& control) const;
    const ControlState* keyboardEntry(const WindowState& window, std::string_view current = {}) const;
    // The next control that takes it after control in reading order, round the end: Tab, or Shift+Tab
    // when backwards.
    const ControlState* nextForKeyboard(const WindowState& window, std::string_view control,
                                        bool backwards = false) const;
    // From a clickable label of a grid, the nearest one that takes the keyboard in that direction on
    // its row or column, where they stand now; nullptr at the edge.
    const ControlState* neighbour(const WindowState& window, std::string_view control,
                                  Direction direction) const;
    // The window the keys go to when the surface cannot tell: the active modal window, else the shown
    // window the player last used or saw open.
    const WindowState* front() const;

    // Whether the control with the keyboard shows that it has it, as a browser's :focus-visible does:
    // from the start and after any key, until a button of the pointer goes down. Each surface tells of
    // every key and button, those the windows do not answer too; a change comes to each window's
    // control with the keyboard as a change of its looks.
    bool keyboardShown() const { return keyboardShown_; }
    void used(Input input);

    // The pointer. Controls stack with the first listed on top, each container's controls above it and
    // inside it; a label that answers nothing lets the pointer through to what lies beneath.
    const ControlState* hit(const WindowState& window, Point at, const Reach& reach = {}) const;
    // Where the control takes the pointer, in its window's client area.
    layout::Rect hitArea(const WindowState& window, const ControlState& control,
                         const Reach& reach = {}) const;
    // The hand over whatever answers a click, and where the layout asks for it.
    bool handCursor(const WindowState& window, const ControlState& control) const;
    // Drawn from the bottom up: the surface stacks them in this order.
    std::vector<const ControlState*> stackingOrder(const WindowState& window) const;

    // Input, from the player or the clock. Each is refused (false) when what it names is gone, or the
    // player cannot reach it; true when the window took it.
    bool click(WindowId window, std::string_view control);
    bool tick(WindowId window, std::string_view timer);
    bool requestClose(WindowId window); // the close button of its title bar
    // A key pressed in a window, or in front() for 0: Tab and the arrows move the keyboard, Enter and
    // Space click the control that has it, and Escape closes the window if it is the active modal one.
    bool key(WindowId window, Key key);
    // A click is a press and a release on the same control, with the pointer never off it between.
    // A press on a window that a modal window blocks brings that one back instead. Returns the cursor
    // to show there.
    Cursor pointer(WindowId window, PointerAction action, Point at, const Reach& reach = {});
    // A press the program saw only as where it went down and where it came up, such as one made before
    // it ran: a click when both lie on the same control that answers one.
    bool pressAt(WindowId window, Point down, Point up, const Reach& reach = {});

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
    // Runs the handler bound to the event, unless the window is gone or the program ends; false when
    // none is bound.
    bool raise(WindowId window, std::string_view control, Event event);
    void returnKeyboard(WindowId owner, std::string_view opener);
    void moveKeyboard(WindowState& window, const ControlState* to, bool activate = false);
    // After a control's or window's visibility changed: where the keyboard goes now.
    void keepKeyboard(WindowState& window, bool firstActionWasShown);
    void setPointerLooks(WindowState& window, const ControlState* over, const ControlState* pressed);
    void noteFront(WindowId window) { front_ = window; }

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
    WindowId front_ = 0; // the window last used or shown
    bool keyboardShown_ = true;
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
