// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The files of assets/ as the program file carries them (resource_ids.h).

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <windows.h>

namespace pelindra::win32 {

// The bytes of an RCDATA resource, valid as long as the module is loaded; empty when it has none.
std::span<const std::byte> resourceBytes(HMODULE module, int id);

struct AssetResource
{
    enum class Kind
    {
        Data, // RCDATA: the file itself, for the picture decoder
        Icon, // ICON: for LoadImageW, which picks the image of the size asked for
    };
    int id = 0;
    Kind kind = Kind::Data;
};

// The resource that holds a file of assets/ named as the screens name it ("banner.jpg").
std::optional<AssetResource> assetResource(std::string_view name);

} // namespace pelindra::win32
