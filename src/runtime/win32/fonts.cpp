// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include "resource_ids.h"
#include "resources.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace pelindra::win32 {
namespace {

bool installed(const std::wstring& family)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = GB2312_CHARSET;
    if (family.empty() || family.size() >= LF_FACESIZE)
        return false;
    wcscpy(wanted.lfFaceName, family.c_str());
    bool found = false;
    const HDC dc = CreateCompatibleDC(nullptr);
    EnumFontFamiliesExW(
        dc, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    DeleteDC(dc);
    return found;
}

} // namespace

Fonts::Fonts(HMODULE module)
{
    for (const auto& [id, family] :
         {std::pair{PELINDRA_RES_FONT_REGULAR, kFamily}, std::pair{PELINDRA_RES_FONT_HEAVY, kHeavyFamily}}) {
        const auto bytes = resourceBytes(module, id);
        DWORD faces = 0;
        const HANDLE handle = bytes.empty()
                                  ? nullptr
                                  : AddFontMemResourceEx(const_cast<std::byte*>(bytes.data()),
                                                         static_cast<DWORD>(bytes.size()), nullptr, &faces);
        if (handle && faces > 0) {
            registered_.push_back(handle);
            embedded_.emplace_back(family);
        }
    }
}

Fonts::~Fonts()
{
    for (const HANDLE handle : registered_)
        RemoveFontMemResourceEx(handle);
}

bool Fonts::embeddedLoaded() const
{
    return embedded_.size() == 2;
}

bool Fonts::has(const std::wstring& family) const
{
    // Faces added from memory are private to the process, and Windows leaves them out of every
    // enumeration; only our own list knows them.
    const bool ours = std::any_of(embedded_.begin(), embedded_.end(), [&](const std::wstring& name) {
        return _wcsicmp(name.c_str(), family.c_str()) == 0;
    });
    return ours || installed(family);
}

std::wstring Fonts::pick(std::span<const std::wstring> families) const
{
    for (const auto& family : families)
        if (has(family))
            return family;
    return families.empty() ? std::wstring(kFamily) : families.back();
}

UniqueFont Fonts::create(const FontRequest& request) const
{
    const std::wstring family = pick(request.families);
    LOGFONTW font{};
    // A negative height asks for the em, not for the em plus the face's internal leading.
    font.lfHeight = -request.pixels;
    font.lfWeight = request.weight;
    font.lfItalic = request.italic;
    font.lfUnderline = request.underline;
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(font.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    return UniqueFont(CreateFontIndirectW(&font));
}

} // namespace pelindra::win32
