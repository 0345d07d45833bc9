// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The faces we ship, registered from the program file for this process alone, and fonts made from a
// list of families in order of preference.

#include "gdi.h"

#include <span>
#include <string>
#include <vector>
#include <windows.h>

namespace pelindra::win32 {

// Noto Sans CJK SC cut down to the program's characters and renamed, so that a full Noto CJK on the
// system does not stand in for it; its heavy cut is a family of its own.
inline constexpr wchar_t kFamily[] = L"Pelindra Sans SC";
inline constexpr wchar_t kHeavyFamily[] = L"Pelindra Sans SC Heavy";

struct FontRequest
{
    std::vector<std::wstring> families; // the first one this process has wins
    int pixels = 12;                    // the em, as CSS and Qt's pixel size mean it
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
};

class Fonts : OwnsHandles
{
public:
    explicit Fonts(HMODULE module);
    ~Fonts();

    // Whether both embedded faces could be registered.
    bool embeddedLoaded() const;
    // Whether this process can draw Chinese text in the family: one of ours, or an installed one with
    // the GB2312 character set.
    bool has(const std::wstring& family) const;
    // The first family of the list this process has; the last one when it has none, for Windows to
    // find the nearest it can.
    std::wstring pick(std::span<const std::wstring> families) const;
    // Null only when GDI is out of resources.
    UniqueFont create(const FontRequest& request) const;

private:
    std::vector<HANDLE> registered_;
    std::vector<std::wstring> embedded_;
};

} // namespace pelindra::win32
