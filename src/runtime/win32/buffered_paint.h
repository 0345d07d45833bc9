// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Paints a window in a bitmap first and copies the result in one go, so that a picture drawn and then
// written over never flickers on the screen. For WM_PAINT, in place of BeginPaint and EndPaint.

#include "gdi.h"

#include <windows.h>

namespace pelindra::win32 {

class BufferedPaint : OwnsHandles
{
public:
    explicit BufferedPaint(HWND window);
    ~BufferedPaint();

    // Draw here in client coordinates. Where no bitmap can be had, this is the window's own DC.
    HDC dc() const { return buffer_ ? buffer_ : paint_.hdc; }
    // The part of the client area to paint; nothing outside it reaches the screen.
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC buffer_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
};

} // namespace pelindra::win32
