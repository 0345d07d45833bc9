// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drawing at each monitor's own scale. Windows grew its DPI functions over several versions, so each is
// looked up when the program starts, and every helper here falls back to what an older Windows offers.

#include "gdi.h"

#include <windows.h>

namespace pelindra::win32 {

enum class DpiAwareness
{
    Unaware,      // Windows stretches our windows as bitmaps
    System,       // one scale, the primary monitor's, for the whole session (Vista)
    PerMonitor,   // our windows are told when they move to a monitor of another scale (8.1)
    PerMonitorV2, // ... and Windows scales their frames and dialogs as well (10, 1703)
};

// The newer functions of user32 and shcore; each is null where this Windows lacks it.
struct DpiFunctions
{
    BOOL(WINAPI* setProcessDpiAwarenessContext)(DPI_AWARENESS_CONTEXT) = nullptr;
    HRESULT(WINAPI* setProcessDpiAwareness)(int) = nullptr;
    BOOL(WINAPI* setProcessDPIAware)() = nullptr;
    DPI_AWARENESS_CONTEXT(WINAPI* getThreadDpiAwarenessContext)() = nullptr;
    BOOL(WINAPI* areDpiAwarenessContextsEqual)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT) = nullptr;
    HRESULT(WINAPI* getProcessDpiAwareness)(HANDLE, int*) = nullptr;
    BOOL(WINAPI* isProcessDPIAware)() = nullptr;
    DPI_AWARENESS_CONTEXT(WINAPI* setThreadDpiAwarenessContext)(DPI_AWARENESS_CONTEXT) = nullptr;
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;

    // This Windows's own, looked up once.
    static const DpiFunctions& system();
};

// Asks for the finest awareness this Windows has: PerMonitorV2, then PerMonitor, then System. The
// manifest asks the same, and where Windows has read it the requests here are refused; either way the
// answer is the awareness in effect.
DpiAwareness enableDpiAwareness(const DpiFunctions& functions = DpiFunctions::system());
DpiAwareness currentDpiAwareness(const DpiFunctions& functions = DpiFunctions::system());

// 96 is 100 %.
constexpr UINT kDefaultDpi = 96;
UINT systemDpi();
UINT dpiOfWindow(HWND window, const DpiFunctions& functions = DpiFunctions::system());
UINT dpiOfMonitor(HMONITOR monitor, const DpiFunctions& functions = DpiFunctions::system());

// A length in 96-DPI pixels at dpi, rounded to the nearest pixel.
int scaled(int pixels, UINT dpi);
RECT scaled(const RECT& rect, UINT dpi);

// The window rectangle whose client area is client, for a window of that style at dpi.
RECT windowRectForClient(RECT client, DWORD style, DWORD exStyle, UINT dpi,
                         const DpiFunctions& functions = DpiFunctions::system());
int systemMetric(int index, UINT dpi, const DpiFunctions& functions = DpiFunctions::system());

// Runs the thread at another awareness while it lives, where Windows can (10, 1607): for a window that
// must be created at one, such as a message box that Windows should stretch.
class ThreadDpiAwareness : OwnsHandles
{
public:
    explicit ThreadDpiAwareness(DPI_AWARENESS_CONTEXT context,
                                const DpiFunctions& functions = DpiFunctions::system());
    ~ThreadDpiAwareness();

private:
    const DpiFunctions& functions_;
    DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

} // namespace pelindra::win32
