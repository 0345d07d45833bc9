// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GDI objects that delete themselves, and what holds handles of its own.

#include <memory>
#include <type_traits>
#include <windows.h>

namespace pelindra::win32 {

// Holds handles that only it may release, so it is never copied.
class OwnsHandles
{
public:
    OwnsHandles() = default;
    OwnsHandles(const OwnsHandles&) = delete;
    OwnsHandles& operator=(const OwnsHandles&) = delete;
};

struct GdiObjectDeleter
{
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <class Handle> using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using UniqueFont = GdiObject<HFONT>;
using UniqueBitmap = GdiObject<HBITMAP>;

struct IconDeleter
{
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

} // namespace pelindra::win32
