// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dpi.h"

#include <initializer_list>
#include <utility>

namespace pelindra::win32 {
namespace {

// From shellscalingapi.h, which MinGW ships only for Windows 8.1 targets.
constexpr int kProcessSystemDpiAware = 1;
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kMonitorDpiEffective = 0;

template <class Function> void find(Function& function, HMODULE module, const char* name)
{
    if (module)
        function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

const DpiFunctions& DpiFunctions::system()
{
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        // Windows 8.1 and later; loaded for good, as user32 is.
        const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        find(f.setProcessDpiAwarenessContext, user32, "SetProcessDpiAwarenessContext");
        find(f.setProcessDpiAwareness, shcore, "SetProcessDpiAwareness");
        find(f.setProcessDPIAware, user32, "SetProcessDPIAware");
        find(f.getThreadDpiAwarenessContext, user32, "GetThreadDpiAwarenessContext");
        find(f.areDpiAwarenessContextsEqual, user32, "AreDpiAwarenessContextsEqual");
        find(f.getProcessDpiAwareness, shcore, "GetProcessDpiAwareness");
        find(f.isProcessDPIAware, user32, "IsProcessDPIAware");
        find(f.setThreadDpiAwarenessContext, user32, "SetThreadDpiAwarenessContext");
        find(f.getDpiForWindow, user32, "GetDpiForWindow");
        find(f.getDpiForMonitor, shcore, "GetDpiForMonitor");
        find(f.adjustWindowRectExForDpi, user32, "AdjustWindowRectExForDpi");
        find(f.getSystemMetricsForDpi, user32, "GetSystemMetricsForDpi");
        return f;
    }();
    return functions;
}

DpiAwareness enableDpiAwareness(const DpiFunctions& f)
{
    if (f.setProcessDpiAwarenessContext) {
        if (f.setProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
            return DpiAwareness::PerMonitorV2;
        // Windows 10 before 1703 knows the function but not V2.
        if (f.setProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE))
            return DpiAwareness::PerMonitor;
    } else if (f.setProcessDpiAwareness) {
        if (SUCCEEDED(f.setProcessDpiAwareness(kProcessPerMonitorDpiAware)))
            return DpiAwareness::PerMonitor;
    } else if (f.setProcessDPIAware && f.setProcessDPIAware()) {
        return DpiAwareness::System;
    }
    return currentDpiAwareness(f);
}

DpiAwareness currentDpiAwareness(const DpiFunctions& f)
{
    if (f.getThreadDpiAwarenessContext && f.areDpiAwarenessContextsEqual) {
        const DPI_AWARENESS_CONTEXT context = f.getThreadDpiAwarenessContext();
        for (const auto& [known, awareness] :
             {std::pair{DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, DpiAwareness::PerMonitorV2},
              std::pair{DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, DpiAwareness::PerMonitor},
              std::pair{DPI_AWARENESS_CONTEXT_SYSTEM_AWARE, DpiAwareness::System}})
            if (f.areDpiAwarenessContextsEqual(context, known))
                return awareness;
        return DpiAwareness::Unaware;
    }
    int process = 0;
    if (f.getProcessDpiAwareness && SUCCEEDED(f.getProcessDpiAwareness(nullptr, &process)))
        return process == kProcessPerMonitorDpiAware ? DpiAwareness::PerMonitor
               : process == kProcessSystemDpiAware   ? DpiAwareness::System
                                                     : DpiAwareness::Unaware;
    return f.isProcessDPIAware && f.isProcessDPIAware() ? DpiAwareness::System : DpiAwareness::Unaware;
}

UINT systemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT dpiOfWindow(HWND window, const DpiFunctions& f)
{
    if (f.getDpiForWindow) {
        if (const UINT dpi = f.getDpiForWindow(window))
            return dpi;
    }
    return dpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), f);
}

UINT dpiOfMonitor(HMONITOR monitor, const DpiFunctions& f)
{
    UINT x = 0;
    UINT y = 0;
    if (f.getDpiForMonitor && SUCCEEDED(f.getDpiForMonitor(monitor, kMonitorDpiEffective, &x, &y)) && x)
        return x;
    return systemDpi();
}

int scaled(int pixels, UINT dpi)
{
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

RECT scaled(const RECT& rect, UINT dpi)
{
    return {scaled(rect.left, dpi), scaled(rect.top, dpi), scaled(rect.right, dpi), scaled(rect.bottom, dpi)};
}

RECT windowRectForClient(RECT client, DWORD style, DWORD exStyle, UINT dpi, const DpiFunctions& f)
{
    // Before 1607 frames have the system DPI's metrics whatever the monitor.
    if (!f.adjustWindowRectExForDpi || !f.adjustWindowRectExForDpi(&client, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

int systemMetric(int index, UINT dpi, const DpiFunctions& f)
{
    if (f.getSystemMetricsForDpi)
        return f.getSystemMetricsForDpi(index, dpi);
    return GetSystemMetrics(index);
}

ThreadDpiAwareness::ThreadDpiAwareness(DPI_AWARENESS_CONTEXT context, const DpiFunctions& functions)
    : functions_(functions)
{
    if (functions_.setThreadDpiAwarenessContext)
        previous_ = functions_.setThreadDpiAwarenessContext(context);
}

ThreadDpiAwareness::~ThreadDpiAwareness()
{
    if (previous_)
        functions_.setThreadDpiAwarenessContext(previous_);
}

} // namespace pelindra::win32
