// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
};

// Everything the game needs from the world. Windows and controls are addressed by their layout names;
// nothing here reports a failure: an unknown window or control is ignored, and reads of it give 0 or "".
class Runtime
{
public:
    virtual ~Runtime() = default;

    // Makes a window known by its layout's name, with the handlers of its events.
    virtual void DefineWindow(WindowDefinition definition) = 0;

    virtual void OpenStartWindow(std::string_view window) = 0;
    virtual void RunMessageLoop() = 0;
    virtual void RegisterCleanup(std::function<void()> routine) = 0;
    virtual void ExitProgram(int code) = 0;

    // Builds the window afresh; its Created handler runs before it is shown. A modal load returns
    // only once the window has been closed.
    virtual void LoadWindow(std::string_view window, bool modal) = 0;
    virtual void CloseWindow(std::string_view window) = 0;

    virtual void SetProperty(std::string_view window, std::string_view control, Property property,
                             const PropertyValue& value) = 0;
    virtual PropertyValue GetProperty(std::string_view window, std::string_view control,
                                      Property property) = 0;

    virtual std::string GetProgramDirectory() = 0;
    // The per-user place for data when the program's own directory cannot take it; created on demand.
    virtual std::string GetUserDataDirectory() = 0;
    virtual bool FileExists(std::string_view path) = 0;
    // Whether a settings file at path could be written (created or replaced) now.
    virtual bool CanWriteFile(std::string_view path) = 0;
    virtual std::string ReadConfigItem(std::string_view file, std::string_view section,
                                       std::string_view item) = 0;
    virtual void WriteConfigItem(std::string_view file, std::string_view section, std::string_view item,
                                 std::string_view value) = 0;

    virtual std::string ToText(std::int32_t number) = 0;
    virtual std::int32_t ToInteger(std::string_view text) = 0;

    virtual void SeedRandom() = 0;
    // Both bounds included.
    virtual std::int32_t RandomInt(std::int32_t min, std::int32_t max) = 0;
};

} // namespace pelindra
