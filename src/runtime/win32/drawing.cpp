// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing.h"

#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>

namespace pelindra::win32 {
namespace {

// How much larger the record heading is drawn before it is averaged down: GDI paths have no smoothing.
constexpr int kSupersample = 4;

struct Selected
{
    HDC dc;
    HGDIOBJ previous;
    Selected(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc, previous); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
};

bool chinese(wchar_t c)
{
    return c >= 0x2E80 && c < 0xA000;
}

// Punctuation that stays at the end of the line it follows.
bool closing(wchar_t c)
{
    return std::wcschr(L"，。、；：？！）」』】》,.;:?!)", c) != nullptr && c != 0;
}

// Where a line that fits `fit` characters of text ends, the rest going to the next line.
std::size_t breakAt(std::wstring_view text, std::size_t fit)
{
    fit = std::max<std::size_t>(fit, 1);
    if (fit < text.size() && IS_LOW_SURROGATE(text[fit]))
        --fit;
    for (std::size_t at = fit; at > 0; --at) {
        const wchar_t before = text[at - 1];
        const wchar_t after = text[at];
        if (closing(after))
            continue;
        if (before == L' ' || after == L' ' || chinese(before) || chinese(after))
            return at;
    }
    return fit;
}

struct Dib
{
    HBITMAP bitmap = nullptr;
    std::uint32_t* pixels = nullptr;

    Dib(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
    }
    ~Dib()
    {
        if (bitmap)
            DeleteObject(bitmap);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
};

// The path of the text as GDI made it, moved and scaled into the room the label has, as the other
// editions fit it: scaled down about its middle when too wide, else centred.
void fitPath(HDC dc, double room, double width, double middle, double margin)
{
    if (!FlattenPath(dc))
        return;
    const int count = GetPath(dc, nullptr, nullptr, 0);
    if (count <= 0)
        return;
    std::vector<POINT> points(static_cast<std::size_t>(count));
    std::vector<BYTE> types(static_cast<std::size_t>(count));
    GetPath(dc, points.data(), types.data(), count);
    auto [left, right] = std::minmax_element(points.begin(), points.end(),
                                             [](const POINT& a, const POINT& b) { return a.x < b.x; });
    auto [top, bottom] = std::minmax_element(points.begin(), points.end(),
                                             [](const POINT& a, const POINT& b) { return a.y < b.y; });
    const double x0 = left->x;
    const double bw = right->x - left->x;
    const double cy = (top->y + bottom->y) / 2.0;
    const double k = bw > room && bw > 0 ? room / bw : 1.0;
    for (auto& p : points) {
        if (k < 1.0) {
            p.x = std::lround(margin + (p.x - x0) * k);
            p.y = std::lround(middle + (p.y - cy) * k);
        } else {
            p.x = std::lround(p.x + (width - bw) / 2 - x0);
        }
    }
    AbortPath(dc);
    BeginPath(dc);
    PolyDraw(dc, points.data(), types.data(), count);
    EndPath(dc);
}

} // namespace

RECT Scale::rect(const layout::Rect& r) const
{
    return scaled(RECT{r.left, r.top, r.left + r.width, r.top + r.height}, dpi);
}

int Scale::back(int device) const
{
    const long long n = static_cast<long long>(device) * kDefaultDpi;
    const long long d = dpi;
    return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

HFONT FontCache::get(const look::Font& font, int pixels)
{
    auto key = std::tuple{font.families, pixels, font.bold, font.italic, font.underline};
    auto found = made_.find(key);
    if (found == made_.end()) {
        FontRequest request{.families = {},
                            .pixels = pixels,
                            .weight = font.bold ? FW_BOLD : FW_NORMAL,
                            .italic = font.italic,
                            .underline = font.underline};
        for (const auto family : font.families)
            request.families.push_back(toUtf16(family));
        found = made_.emplace(std::move(key), fonts_.create(request)).first;
    }
    return found->second.get();
}

COLORREF colourOf(look::Colour colour)
{
    return static_cast<COLORREF>(colour) & 0xFFFFFF;
}

std::vector<std::wstring> shownLines(HDC dc, std::string_view caption, bool wrap, int width)
{
    std::vector<std::wstring> lines;
    for (const auto paragraph : look::linesOf(caption)) {
        std::wstring rest = toUtf16(paragraph);
        for (;;) {
            int fit = 0;
            SIZE size{};
            if (!wrap || rest.empty() ||
                !GetTextExtentExPointW(dc, rest.c_str(), static_cast<int>(rest.size()), width, &fit, nullptr,
                                       &size) ||
                static_cast<std::size_t>(fit) >= rest.size()) {
                lines.push_back(std::move(rest));
                break;
            }
            const std::size_t end = breakAt(rest, static_cast<std::size_t>(fit));
            std::wstring line = rest.substr(0, end);
            while (!line.empty() && line.back() == L' ')
                line.pop_back();
            lines.push_back(std::move(line));
            const std::size_t next = rest.find_first_not_of(L' ', end);
            if (next == std::wstring::npos)
                break;
            rest.erase(0, next);
        }
    }
    return lines;
}

void drawCaption(HDC dc, const look::TextBox& box, std::string_view caption, COLORREF colour, RECT control,
                 const Scale& scale)
{
    if (caption.empty())
        return;
    const RECT area = scale.rect(box.area);
    RECT clip{control.left + area.left, control.top + area.top, control.left + area.right,
              control.top + area.bottom};
    const auto lines = shownLines(dc, caption, box.wrap, area.right - area.left);
    const int count = static_cast<int>(lines.size());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    for (int i = 0; i < count; ++i) {
        const auto& line = lines[static_cast<std::size_t>(i)];
        const int length = static_cast<int>(line.size());
        int x = clip.left;
        if (box.align == layout::Align::Centre) {
            SIZE size{};
            GetTextExtentPoint32W(dc, line.c_str(), length, &size);
            x += (area.right - area.left - size.cx) / 2;
        }
        const int y = control.top + static_cast<int>(std::lround(scale(look::baseline(box, count, i))));
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, line.c_str(), static_cast<UINT>(length), nullptr);
    }
}

void drawLettering(HDC dc, const look::TextBox& box, std::string_view caption, COLORREF fill, RECT control,
                   const Scale& scale, FontCache& fonts)
{
    const int width = control.right - control.left;
    const int height = control.bottom - control.top;
    const std::wstring text = toUtf16(caption);
    if (text.empty() || width <= 0 || height <= 0)
        return;
    constexpr int k = kSupersample;
    const Dib large(width * k, height * k);
    const Dib shown(width, height);
    const HDC work = CreateCompatibleDC(dc);
    if (!large.pixels || !shown.pixels || !work) {
        if (work)
            DeleteDC(work);
        return;
    }
    {
        const Selected bitmap(work, large.bitmap);
        // What lies beneath, each pixel k times over, so that averaging gives it back as it was.
        SetStretchBltMode(work, COLORONCOLOR);
        StretchBlt(work, 0, 0, width * k, height * k, dc, control.left, control.top, width, height, SRCCOPY);

        const double unit = scale(1.0) * k;
        const Selected font(work, fonts.get(box.font, static_cast<int>(std::lround(box.font.pixels * unit))));
        SetBkMode(work, TRANSPARENT);
        SetTextAlign(work, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
        BeginPath(work);
        TextOutW(work, 0, static_cast<int>(std::lround(look::baseline(box, 1, 0) * unit)), text.c_str(),
                 static_cast<int>(text.size()));
        EndPath(work);
        const double margin = look::kLetteringMargin * unit;
        fitPath(work, width * k - 2 * margin, width * k, height * k / 2.0, margin);

        const auto outline = look::outlineOf(box.font);
        const LOGBRUSH stroke{BS_SOLID, colourOf(outline.colour), 0};
        const HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                      static_cast<DWORD>(std::max(1L, std::lround(outline.width * unit))),
                                      &stroke, 0, nullptr);
        const HBRUSH brush = CreateSolidBrush(fill);
        {
            const Selected withPen(work, pen);
            const Selected withBrush(work, brush);
            SetPolyFillMode(work, WINDING);
            StrokeAndFillPath(work);
        }
        DeleteObject(pen);
        DeleteObject(brush);
        GdiFlush();
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned sum[3] = {0, 0, 0};
            for (int dy = 0; dy < k; ++dy)
                for (int dx = 0; dx < k; ++dx) {
                    const auto p =
                        large.pixels[static_cast<std::size_t>((y * k + dy) * width * k + x * k + dx)];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += (p >> (8 * c)) & 0xFF;
                }
            std::uint32_t averaged = 0;
            for (int c = 0; c < 3; ++c)
                averaged |= ((sum[c] + k * k / 2) / (k * k)) << (8 * c);
            shown.pixels[static_cast<std::size_t>(y * width + x)] = averaged;
        }
    {
        const Selected bitmap(work, shown.bitmap);
        BitBlt(dc, control.left, control.top, width, height, work, 0, 0, SRCCOPY);
    }
    DeleteDC(work);
}

void drawPanel(HDC dc, RECT control, const Scale& scale)
{
    const auto& panel = look::kPanel;
    const HPEN pen = CreatePen(PS_SOLID | PS_INSIDEFRAME, scale(panel.frameWidth), colourOf(panel.frame));
    const HBRUSH brush = CreateSolidBrush(colourOf(panel.fill));
    {
        const Selected withPen(dc, pen);
        const Selected withBrush(dc, brush);
        const int round = 2 * scale(panel.radius);
        RoundRect(dc, control.left, control.top, control.right, control.bottom, round, round);
    }
    DeleteObject(pen);
    DeleteObject(brush);
}

void drawLinkBack(HDC dc, const look::LinkLook& look, RECT control, const Scale& scale)
{
    if (look.fill) {
        const HBRUSH brush = CreateSolidBrush(colourOf(*look.fill));
        FillRect(dc, &control, brush);
        DeleteObject(brush);
    }
    if (look.frame) {
        const HPEN pen = CreatePen(PS_SOLID | PS_INSIDEFRAME, scale(1), colourOf(*look.frame));
        {
            const Selected withPen(dc, pen);
            const Selected noFill(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, control.left, control.top, control.right, control.bottom);
        }
        DeleteObject(pen);
    }
}

void drawFocusRing(HDC dc, const look::FocusRing& ring, RECT control, const Scale& scale)
{
    const int width = std::max(1, scale(ring.width));
    const LOGBRUSH colour{BS_SOLID, colourOf(ring.colour), 0};
    // Dots one pen wide with a gap of two, as a dotted line is drawn elsewhere.
    const DWORD dots[] = {static_cast<DWORD>(width), static_cast<DWORD>(2 * width)};
    const HPEN pen = ring.dotted
                         ? ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, width, &colour, 2, dots)
                         : ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, width, &colour, 0, nullptr);
    const int inset = scale(ring.inset) + width / 2;
    {
        const Selected withPen(dc, pen);
        const Selected noFill(dc, GetStockObject(NULL_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        Rectangle(dc, control.left + inset, control.top + inset, control.right - inset,
                  control.bottom - inset);
    }
    DeleteObject(pen);
}

} // namespace pelindra::win32
