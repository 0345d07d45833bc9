// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One window of the model as a top-level window: built from its layout at the monitor's scale, painted
// from the model's state and the look, its timers run by Windows, and every input and tick handed back
// to the model under its build's id. Its controls are drawn, not Windows controls: screen readers see
// them as the accessible objects it answers for.

#include "accessible.h"
#include "drawing.h"
#include "gdi.h"
#include "runtime/window_model.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>
#include <windows.h>

namespace pelindra::win32 {

class Win32Runtime;

class FormWindow final : private AccessibleSource
{
public:
    static constexpr wchar_t kClass[] = L"PelindraWindow";
    // The window class, once per process.
    static void registerClass(HMODULE module);

    // Hidden until shown. A modal window belongs to owner, which may be null.
    FormWindow(Win32Runtime& runtime, const WindowState& state, HWND owner);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return window_; }

    // A property as the model now holds it: the window's own when control is nullptr.
    void draw(const WindowState& state, const ControlState* control, Property property);
    void show(bool shown);
    void enable(bool enabled);
    // The keyboard moved in the model; activate brings the window to the front.
    void showKeyboard(const ControlState* control, bool activate);
    void redraw() { InvalidateRect(window_, nullptr, FALSE); }
    // Gone from the model: its window goes now, this object once no message of its is being handled.
    void close();

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    const WindowState* state() const;
    // Where the layout puts the window, at its monitor's scale, so that the frame it shows there has the
    // layout's outer size.
    void place();
    void setIcons();
    void paint();
    void paintWithin(HDC dc, const WindowState& state, std::string_view container, const RECT& clip,
                     const RECT& dirty);
    void paintControl(HDC dc, const WindowState& state, const ControlState& control, const RECT& at);
    void pointer(PointerAction action, LPARAM at);
    bool key(WPARAM key, LPARAM flags);
    void notify(DWORD event, const ControlState* control) const;
    int elementOf(const ControlState& control) const;

    // AccessibleSource: element 0 is the client area, element n the n-th control of the layout.
    std::optional<AccessibleElement> element(int id) const override;
    std::vector<int> children(int id) const override;
    int parent(int id) const override;
    bool act(int id) override;

    Win32Runtime& runtime_;
    const WindowDefinition& definition_;
    const WindowId id_;
    const bool modal_;
    HWND window_ = nullptr;
    Scale scale_;
    std::unique_ptr<AccessibleWindow> accessible_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    Cursor cursor_ = Cursor::Arrow;
    bool active_ = false;
    bool tracking_ = false; // asked to hear when the pointer leaves
    bool pressing_ = false; // the main button is down, and the window has the pointer to itself
    bool gone_ = false;
    bool placed_ = false; // the visible frame has been measured once shown
};

} // namespace pelindra::win32
