// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What screen readers and test drivers see of a window whose controls we draw ourselves: MSAA objects
// (IAccessible) for the client area and every element in it, answered from the surface's own account.
// Each element is an object of its own; its number is also its child id, so that an event about it
// (NotifyWinEvent) reaches the same object.

#include "gdi.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

namespace pelindra::win32 {

struct AccessibleElement
{
    std::wstring name;
    long role = 0;       // ROLE_SYSTEM_*
    long state = 0;      // STATE_SYSTEM_*
    RECT area{};         // client pixels
    std::wstring action; // the default action's name; empty when there is none
    // What a screen reader says besides the name, where the name alone would tell too little.
    std::wstring description;
};

// The surface's account of one window. Element 0 is the client area itself.
class AccessibleSource
{
public:
    virtual ~AccessibleSource() = default;
    // Nothing when there is no such element (any more).
    virtual std::optional<AccessibleElement> element(int id) const = 0;
    // In reading order.
    virtual std::vector<int> children(int id) const = 0;
    virtual int parent(int id) const = 0;
    // Runs the element's default action, later rather than now: the caller waits for this call, and the
    // action may open a modal window. False when the element has no action.
    virtual bool act(int id) = 0;
};

class AccessibleWindow : OwnsHandles
{
public:
    // The source must outlive this object.
    AccessibleWindow(HWND window, AccessibleSource& source);
    // Every object handed out answers CO_E_OBJNOTCONNECTED from here on, whoever still holds it.
    ~AccessibleWindow();

    // The answer to WM_GETOBJECT, when it asks for the client area; nothing otherwise, for
    // DefWindowProc to give.
    std::optional<LRESULT> answer(WPARAM wParam, LPARAM lParam);
    // Tells listeners that something of the element changed (EVENT_OBJECT_NAMECHANGE and so on).
    void notify(DWORD event, int id) const;

    struct Connection
    {
        HWND window;
        AccessibleSource* source; // null once the window is gone
    };

private:
    std::shared_ptr<Connection> connection_;
};

} // namespace pelindra::win32
