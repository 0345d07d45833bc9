// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources.h"

#include "resource_ids.h"

#include <array>
#include <utility>

namespace pelindra::win32 {

std::span<const std::byte> resourceBytes(HMODULE module, int id)
{
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const std::byte*>(bytes), SizeofResource(module, found)};
}

std::optional<AssetResource> assetResource(std::string_view name)
{
    using Kind = AssetResource::Kind;
    static constexpr std::array<std::pair<std::string_view, AssetResource>, 4> assets{{
        {"banner.jpg", {PELINDRA_RES_BANNER, Kind::Data}},
        {"block.jpg", {PELINDRA_RES_BLOCK, Kind::Data}},
        {"about.ico", {PELINDRA_RES_ABOUT_PICTURE, Kind::Data}},
        {"pelindra.ico", {PELINDRA_RES_PROGRAM_ICON, Kind::Icon}},
    }};
    for (const auto& [file, resource] : assets)
        if (file == name)
            return resource;
    return std::nullopt;
}

} // namespace pelindra::win32
