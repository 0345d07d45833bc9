// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include "resources.h"

#include <climits>
#include <wincodec.h>

using Microsoft::WRL::ComPtr;

namespace pelindra::win32 {
namespace {

// Windows 10's best filter; MinGW's headers do not name it yet. Older Windows refuse it, and get Fant.
constexpr auto kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);

std::unique_ptr<Picture> copyToDib(IWICBitmapSource& source, SIZE size)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy; // top-down, as WIC hands the rows over
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return nullptr;
    const UINT stride = static_cast<UINT>(size.cx) * 4;
    if (FAILED(source.CopyPixels(nullptr, stride, stride * static_cast<UINT>(size.cy),
                                 static_cast<BYTE*>(bits))))
        return nullptr;
    return std::make_unique<Picture>(std::move(bitmap), size, static_cast<const std::uint32_t*>(bits));
}

} // namespace

Picture::Picture(UniqueBitmap bitmap, SIZE size, const std::uint32_t* pixels)
    : bitmap_(std::move(bitmap)), size_(size), pixels_(pixels)
{}

std::span<const std::uint32_t> Picture::pixels() const
{
    return {pixels_, static_cast<std::size_t>(size_.cx) * static_cast<std::size_t>(size_.cy)};
}

std::size_t bestFrame(std::span<const SIZE> frames, SIZE wanted)
{
    const bool any = wanted.cx > 0 && wanted.cy > 0;
    const auto covers = [&](SIZE s) { return any && s.cx >= wanted.cx && s.cy >= wanted.cy; };
    const auto area = [](SIZE s) { return static_cast<long long>(s.cx) * s.cy; };
    std::size_t best = 0;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const SIZE candidate = frames[i];
        const SIZE chosen = frames[best];
        const bool better = covers(candidate) != covers(chosen) ? covers(candidate)
                            : covers(candidate)                 ? area(candidate) < area(chosen)
                                                                : area(candidate) > area(chosen);
        if (better)
            best = i;
    }
    return best;
}

Pictures::Pictures(HMODULE module) : module_(module)
{
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory_));
}

Pictures::~Pictures() = default;

const Picture* Pictures::get(int id, SIZE size)
{
    const auto key = std::tuple{id, size.cx, size.cy};
    if (const auto found = decoded_.find(key); found != decoded_.end())
        return found->second.get();
    auto picture = decode(resourceBytes(module_, id), size);
    // A failure is not kept: the next paint may find memory again.
    if (!picture)
        return nullptr;
    return decoded_.emplace(key, std::move(picture)).first->second.get();
}

std::unique_ptr<Picture> Pictures::decode(std::span<const std::byte> file, SIZE size) const
{
    if (!factory_ || file.empty() || file.size() > UINT_MAX)
        return nullptr;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    UINT frameCount = 0;
    if (FAILED(factory_->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(file.data())),
                                            static_cast<DWORD>(file.size()))) ||
        FAILED(factory_->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                 &decoder)) ||
        FAILED(decoder->GetFrameCount(&frameCount)) || frameCount == 0)
        return nullptr;

    std::vector<ComPtr<IWICBitmapFrameDecode>> frames(frameCount);
    std::vector<SIZE> sizes(frameCount);
    for (UINT i = 0; i < frameCount; ++i) {
        UINT width = 0;
        UINT height = 0;
        if (FAILED(decoder->GetFrame(i, &frames[i])) || FAILED(frames[i]->GetSize(&width, &height)))
            return nullptr;
        sizes[i] = {static_cast<LONG>(width), static_cast<LONG>(height)};
    }
    const std::size_t chosen = bestFrame(sizes, size);
    if (size.cx <= 0 || size.cy <= 0)
        size = sizes[chosen];

    // Premultiplied before scaling, so that the filter does not bleed the colour of transparent pixels
    // into the edges.
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory_->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frames[chosen].Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    if (size.cx == sizes[chosen].cx && size.cy == sizes[chosen].cy)
        return copyToDib(*converter.Get(), size);

    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory_->CreateBitmapScaler(&scaler)))
        return nullptr;
    const auto width = static_cast<UINT>(size.cx);
    const auto height = static_cast<UINT>(size.cy);
    if (FAILED(scaler->Initialize(converter.Get(), width, height, kHighQualityCubic)) &&
        FAILED(scaler->Initialize(converter.Get(), width, height, WICBitmapInterpolationModeFant)))
        return nullptr;
    return copyToDib(*scaler.Get(), size);
}

} // namespace pelindra::win32
