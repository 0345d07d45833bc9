// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The runtime on Win32 and GDI: every window of the model a top-level window of its own, drawn from the
// look, with its input, timers and accessible objects handed back to the model under its build's id.
// One thread: everything here runs on the thread that made the runtime, in its message loop.

#include "drawing.h"
#include "fonts.h"
#include "pictures.h"
#include "runtime/settings_store.h"
#include "runtime/standard_runtime.h"

#include <map>
#include <memory>
#include <string_view>
#include <vector>
#include <windows.h>

namespace pelindra::win32 {

class FormWindow;

// COM for this thread while it lives: the picture decoder and the accessible objects need it.
class ComApartment
{
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

class Win32Runtime final : private WindowSurface, public StandardRuntime
{
public:
    // The store is the caller's and outlives the runtime; module is the file that carries the fonts,
    // pictures and icon.
    explicit Win32Runtime(SettingsStore& store, HMODULE module = GetModuleHandleW(nullptr));
    ~Win32Runtime() override;
    Win32Runtime(const Win32Runtime&) = delete;
    Win32Runtime& operator=(const Win32Runtime&) = delete;

    void RunMessageLoop() override;
    SettingsStore& Store() override { return store_; }
    void ReportProblem(std::string_view line) override;

    int exitCode() const { return exitCode_; }
    WindowModel& model() { return model_; }
    // The window of that name while it is open, else nullptr.
    HWND handle(std::string_view window) const;

    // What the windows draw with.
    HMODULE module() const { return module_; }
    FontCache& fonts() { return fontCache_; }
    Pictures& pictures() { return pictures_; }

private:
    void built(const WindowState& window) override;
    void destroyed(WindowId window) override;
    void changed(const WindowState& window, const ControlState* control, Property property) override;
    void opened(const WindowState& window) override;
    // Each window takes input exactly while the model does not block it.
    void enableWindows();
    void focus(const WindowState& window, const ControlState* control, bool activate) override;
    void looked(const WindowState& window, const ControlState& control) override;
    void wake() override;
    void ended(int code) override;

    FormWindow* form(WindowId window) const;
    static LRESULT CALLBACK helperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT helper(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    SettingsStore& store_;
    HMODULE module_;
    ComApartment com_;
    Fonts fontFiles_;
    FontCache fontCache_;
    Pictures pictures_;
    // Hidden: it settles the model when woken, and hears of the session's end, which is told to every
    // top-level window, shown or not.
    HWND helper_ = nullptr;
    std::map<WindowId, std::unique_ptr<FormWindow>> forms_;
    // Closed windows, kept until no message of theirs is being handled any more.
    std::vector<std::unique_ptr<FormWindow>> closed_;
    bool awake_ = false;
    int exitCode_ = 0;
};

} // namespace pelindra::win32
