// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings_store.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pelindra {

namespace layout {
struct Window;
}

enum class Property : std::uint8_t
{
    Visible,
    Caption,
    TextColour,
    Top,
    Interval
};
enum class Event : std::uint8_t
{
    Created,
    Closed,
    Clicked,
    Tick
};

std::string_view propertyName(Property property);
std::string_view eventName(Event event);

// Integers for Visible, TextColour, Top and Interval; text for Caption.
using PropertyValue = std::variant<std::int32_t, std::string>;

// Reading the wrong alternative gives 0 or "", the way an absent value reads.
std::int32_t integerOf(const PropertyValue& value);
std::string textOf(const PropertyValue& value);

using Handler = std::function<void()>;

// control "" stands for the window itself.
struct Binding
{
    std::string_view control;
    Event event;
    Handler handler;
};

struct WindowDefinition
{
    const layout::Window* layout = nullptr;
    std::vector<Binding> bindings;

    // The handler bound to the event, or nullptr; the first binding counts when there are several.
    const Handler* handlerFor(std::string_view control, Event event) const;
};

// Everything the game needs from the world. Windows and controls are addressed by their layout names;
// nothing here reports a failure: an unknown window or control is ignored, and reads of it give 0 or "".
class Runtime
{
public:
    virtual ~Runtime() = default;

    // Makes a window known by its layout's name, with the handlers of its events. A window is defined
    // once: its handlers may be running when a second definition comes, which is refused.
    virtual void DefineWindow(WindowDefinition definition) = 0;

    virtual void OpenStartWindow(std::string_view window) = 0;
    virtual void RunMessageLoop() = 0;
    virtual void RegisterCleanup(std::function<void()> routine) = 0;
    virtual void ExitProgram(int code) = 0;

    // Builds the window afresh; its Created handler runs before it is shown. A window that was open is
    // replaced: its timers and handlers never run again. A modal window, while it is the topmost one
    // shown, takes all input from the other windows until it closes. The call returns at once either
    // way, so no runtime needs a nested event loop: what has to wait for a modal window goes into
    // afterClose, which runs once that window has closed and the handler that closed it has returned.
    // Loading a modal window that is still open keeps what waits for it: every afterClose given to it
    // runs, in the order of the loads, when it finally closes. None runs when the program ends first,
    // and once the program has begun to end, nothing loads. A window that is not modal ignores
    // afterClose.
    virtual void LoadWindow(std::string_view window, bool modal, Handler afterClose) = 0;
    virtual void CloseWindow(std::string_view window) = 0;

    virtual void SetProperty(std::string_view window, std::string_view control, Property property,
                             const PropertyValue& value) = 0;
    virtual PropertyValue GetProperty(std::string_view window, std::string_view control,
                                      Property property) = 0;

    // Storage is the same in every runtime: each one only picks the store that these go to.
    virtual SettingsStore& Store() = 0;
    // The directory the program file lies in, as the bytes the file system knows it by.
    std::string GetProgramDirectory();
    // The per-user place for data when the program's own directory cannot take it, created on demand;
    // "" where there is none.
    std::string GetUserDataDirectory();
    // The path of the named file in a directory that one of these gave, as the store writes paths: the
    // rules never take a path apart or put one together themselves.
    std::string JoinPath(std::string_view directory, std::string_view name);
    // Whether a settings file stands at the path and can be read.
    bool FileExists(std::string_view path);
    FileCheck CheckConfigFile(std::string_view path);
    // The file as it is now, read without the lock: for when the lock cannot be had.
    ConfigRead ReadConfigFile(std::string_view file);
    // Read, decide and write under an exclusive lock on the file, held only for this call, so that two
    // copies of the program cannot interleave; the items decided on reach the file in one atomic
    // replacement, or not at all. A lock that another copy holds longer than lockWait fails the call
    // before anything is read or decided.
    UpdateResult UpdateConfigItems(std::string_view file, const UpdateDecision& decide,
                                   std::chrono::milliseconds lockWait = kLockWait);

    // What has to happen before the program can be ended from outside at any moment: it runs when a
    // signal or the session's end is about to end it, or when a page is hidden or left, and the program
    // goes on afterwards if it is still alive. The latest routine counts.
    void RegisterEnding(Handler routine);
    void ProgramEnding();

    // One line for whoever runs the program, about something that went wrong on the way: standard
    // error on the desktop, the console in a browser. Never a dialog.
    virtual void ReportProblem(std::string_view line) = 0;

    virtual std::string ToText(std::int32_t number) = 0;
    virtual std::int32_t ToInteger(std::string_view text) = 0;

    virtual void SeedRandom() = 0;
    // Both bounds included.
    virtual std::int32_t RandomInt(std::int32_t min, std::int32_t max) = 0;

private:
    Handler ending_;
};

} // namespace pelindra
