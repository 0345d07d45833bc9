// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffered_paint.h"

namespace pelindra::win32 {

BufferedPaint::BufferedPaint(HWND window) : window_(window)
{
    BeginPaint(window_, &paint_);
    const RECT& area = paint_.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!paint_.hdc || width <= 0 || height <= 0)
        return;
    buffer_ = CreateCompatibleDC(paint_.hdc);
    bitmap_ = buffer_ ? CreateCompatibleBitmap(paint_.hdc, width, height) : nullptr;
    if (!bitmap_) {
        if (buffer_)
            DeleteDC(buffer_);
        buffer_ = nullptr;
        return;
    }
    previousBitmap_ = SelectObject(buffer_, bitmap_);
    // The bitmap covers the area alone; its origin is the area's corner.
    SetWindowOrgEx(buffer_, area.left, area.top, nullptr);
}

BufferedPaint::~BufferedPaint()
{
    if (buffer_) {
        const RECT& area = paint_.rcPaint;
        BitBlt(paint_.hdc, area.left, area.top, area.right - area.left, area.bottom - area.top, buffer_,
               area.left, area.top, SRCCOPY);
        SelectObject(buffer_, previousBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(buffer_);
    }
    EndPaint(window_, &paint_);
}

} // namespace pelindra::win32
