// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32_runtime.h"

#include "form_window.h"
#include "text.h"

#include <cstdio>
#include <utility>

namespace pelindra::win32 {
namespace {

constexpr wchar_t kHelperClass[] = L"PelindraHelper";
constexpr UINT kWake = WM_APP;
constexpr UINT kForgetClosed = WM_APP + 1;

} // namespace

Win32Runtime::Win32Runtime(SettingsStore& store, HMODULE module)
    : StandardRuntime(static_cast<WindowSurface&>(*this)), store_(store), module_(module), fontFiles_(module),
      fontCache_(fontFiles_), pictures_(module)
{
    FormWindow::registerClass(module);
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = helperProcedure;
    type.hInstance = module;
    type.lpszClassName = kHelperClass;
    RegisterClassExW(&type);
    helper_ = CreateWindowExW(WS_EX_TOOLWINDOW, kHelperClass, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              module, this);
}

Win32Runtime::~Win32Runtime()
{
    forms_.clear();
    closed_.clear();
    if (helper_ != nullptr) {
        SetWindowLongPtrW(helper_, GWLP_USERDATA, 0);
        DestroyWindow(helper_);
    }
}

HWND Win32Runtime::handle(std::string_view window) const
{
    const auto* state = model_.window(window);
    const auto* shown = state == nullptr ? nullptr : form(state->id);
    return shown == nullptr ? nullptr : shown->handle();
}

FormWindow* Win32Runtime::form(WindowId window) const
{
    const auto it = forms_.find(window);
    return it == forms_.end() ? nullptr : it->second.get();
}

void Win32Runtime::built(const WindowState& window)
{
    // Windows keeps a window above the one that owns it, and hides it with it.
    const auto* owner = window.modal ? form(window.owner) : nullptr;
    forms_[window.id] =
        std::make_unique<FormWindow>(*this, window, owner == nullptr ? nullptr : owner->handle());
}

void Win32Runtime::destroyed(WindowId window)
{
    auto gone = forms_.extract(window);
    if (gone.empty())
        return;
    auto closing = std::move(gone.mapped());
    // The owner takes input again before its modal window goes, so that Windows hands it the
    // activation rather than to some other program's window.
    enableWindows();
    closing->close();
    closed_.push_back(std::move(closing));
    PostMessageW(helper_, kForgetClosed, 0, 0);
}

void Win32Runtime::changed(const WindowState& window, const ControlState* control, Property property)
{
    if (control == nullptr && property == Property::Visible)
        enableWindows();
    if (auto* w = form(window.id))
        w->draw(window, control, property);
}

void Win32Runtime::opened(const WindowState& window)
{
    enableWindows();
    if (auto* w = form(window.id))
        w->show(true);
}

void Win32Runtime::focus(const WindowState& window, const ControlState* control, bool activate)
{
    if (auto* w = form(window.id))
        w->showKeyboard(control, activate);
}

void Win32Runtime::looked(const WindowState& window, const ControlState&)
{
    if (auto* w = form(window.id))
        w->redraw();
}

void Win32Runtime::wake()
{
    if (!std::exchange(awake_, true))
        PostMessageW(helper_, kWake, 0, 0);
}

void Win32Runtime::ended(int code)
{
    exitCode_ = code;
    while (!forms_.empty())
        destroyed(forms_.begin()->first);
    PostQuitMessage(code);
}

void Win32Runtime::enableWindows()
{
    for (const auto& [id, w] : forms_)
        if (const auto* state = model_.window(id))
            w->enable(!model_.blocked(*state));
}

void Win32Runtime::RunMessageLoop()
{
    if (model_.exiting())
        return;
    // No IsDialogMessage: Tab, Enter and Escape are the model's keys, not a dialog's.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Runtime::ReportProblem(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    OutputDebugStringW((toUtf16(line) + L"\n").c_str());
}

LRESULT CALLBACK Win32Runtime::helperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Win32Runtime*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->helper(window, message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Runtime::helper(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWake:
        awake_ = false;
        closed_.clear();
        model_.settle();
        return 0;
    case kForgetClosed:
        closed_.clear();
        return 0;
    case WM_QUERYENDSESSION:
        // The session may yet go on, should the user cancel; the program goes on with it.
        ProgramEnding();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            ProgramEnding();
            ExitProgram(0);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace pelindra::win32
