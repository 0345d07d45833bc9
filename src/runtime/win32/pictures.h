// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pictures of the program file, decoded by Windows's own imaging component (WIC) at the size they
// are drawn at, so that GDI only copies them: AlphaBlend stretches with no filtering at all.

#include "gdi.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <tuple>
#include <vector>
#include <windows.h>
#include <wrl/client.h>

struct IWICImagingFactory;

namespace pelindra::win32 {

// A top-down DIB section of premultiplied BGRA, 32 bits a pixel, as AlphaBlend with AC_SRC_ALPHA takes it.
class Picture
{
public:
    Picture(UniqueBitmap bitmap, SIZE size, const std::uint32_t* pixels);

    HBITMAP bitmap() const { return bitmap_.get(); }
    SIZE size() const { return size_; }
    // Row by row from the top; 0xAARRGGBB in each.
    std::span<const std::uint32_t> pixels() const;

private:
    UniqueBitmap bitmap_;
    SIZE size_;
    const std::uint32_t* pixels_;
};

// Which of an icon's images to scale to the size wanted: the smallest that covers it, else the largest.
// An empty size wants the largest.
std::size_t bestFrame(std::span<const SIZE> frames, SIZE wanted);

class Pictures : OwnsHandles
{
public:
    // COM must stay initialised on this thread while the object lives.
    explicit Pictures(HMODULE module);
    ~Pictures();

    // Whether Windows has the imaging component at all (XP before SP3 has not).
    bool available() const { return factory_ != nullptr; }

    // The RCDATA resource id at size (empty: its own size), decoded once for each size and kept as long
    // as this object; null when the resource is missing or not a picture.
    const Picture* get(int id, SIZE size);

    // A JPEG, PNG or ICO file at size, uncached; null when it is not a picture.
    std::unique_ptr<Picture> decode(std::span<const std::byte> file, SIZE size) const;

private:
    HMODULE module_;
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
    std::map<std::tuple<int, LONG, LONG>, std::unique_ptr<Picture>> decoded_;
};

} // namespace pelindra::win32
