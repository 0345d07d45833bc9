// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A window for msaa_client to read, painted with the Win32 pieces: the block picture at its own size in
// the corner and a Chinese label below it, through a buffered paint. Its client area answers MSAA with
// a tree of its own:
//   [] client "测试窗口" > [1] static text "最佳记录：12"
//                        > [2] push button "开始游戏"
//                        > [3] grouping "面板" > [1] push button "返回"
// Doing a button's default action appends ": " and its name to the window title.
//
//   msaa_fixture TITLE

#include "runtime/win32/accessible.h"
#include "runtime/win32/buffered_paint.h"
#include "runtime/win32/dpi.h"
#include "runtime/win32/fonts.h"
#include "runtime/win32/pictures.h"
#include "runtime/win32/resource_ids.h"

#include <memory>
#include <oleacc.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using namespace pelindra::win32;

constexpr UINT kPressed = WM_APP;

struct Element
{
    int parent;
    AccessibleElement description;
};

class Fixture final : public AccessibleSource
{
    HWND window_; // first: the members below take it

public:
    explicit Fixture(HWND window) : window_(window) {}

    std::optional<AccessibleElement> element(int id) const override
    {
        return id >= 0 && id < static_cast<int>(elements_.size()) ? std::optional(elements_[id].description)
                                                                  : std::nullopt;
    }
    std::vector<int> children(int id) const override
    {
        std::vector<int> found;
        for (int i = 1; i < static_cast<int>(elements_.size()); ++i)
            if (elements_[i].parent == id)
                found.push_back(i);
        return found;
    }
    int parent(int id) const override { return elements_.at(id).parent; }
    bool act(int id) override
    {
        return !elements_.at(id).description.action.empty() && PostMessageW(window_, kPressed, id, 0);
    }

    Fonts fonts{GetModuleHandleW(nullptr)};
    Pictures pictures{GetModuleHandleW(nullptr)};
    AccessibleWindow accessible{window_, *this};

private:
    const std::vector<Element> elements_{
        {-1, {L"测试窗口", ROLE_SYSTEM_CLIENT, STATE_SYSTEM_READONLY, {0, 0, 380, 260}, L"", L""}},
        {0, {L"最佳记录：12", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, {0, 170, 300, 200}, L"", L""}},
        {0, {L"开始游戏", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, {200, 20, 320, 60}, L"按", L""}},
        {0, {L"面板", ROLE_SYSTEM_GROUPING, STATE_SYSTEM_READONLY, {200, 80, 360, 160}, L"", L""}},
        {3, {L"返回", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, {210, 100, 290, 140}, L"按", L""}},
    };
};

void paint(HWND window, Fixture& fixture)
{
    BufferedPaint paint(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(paint.dc(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (const Picture* block = fixture.pictures.get(PELINDRA_RES_BLOCK, {})) {
        const HDC source = CreateCompatibleDC(paint.dc());
        const HGDIOBJ previous = SelectObject(source, block->bitmap());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        const SIZE size = block->size();
        AlphaBlend(paint.dc(), 0, 0, size.cx, size.cy, source, 0, 0, size.cx, size.cy, blend);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    const UniqueFont font = fixture.fonts.create({.families = {kFamily}, .pixels = 20});
    const HGDIOBJ previous = SelectObject(paint.dc(), font.get());
    RECT label{0, 170, 300, 200};
    DrawTextW(paint.dc(), L"最佳记录：12", -1, &label, DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(paint.dc(), previous);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* fixture = reinterpret_cast<Fixture*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!fixture)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_GETOBJECT:
        if (const auto answer = fixture->accessible.answer(wParam, lParam))
            return *answer;
        break;
    case WM_PAINT:
        paint(window, *fixture);
        return 0;
    case kPressed: {
        std::wstring title(256, L'\0');
        title.resize(static_cast<std::size_t>(GetWindowTextW(window, title.data(), 256)));
        SetWindowTextW(window, (title + L": " + fixture->element(static_cast<int>(wParam))->name).c_str());
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    enableDpiAwareness();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const wchar_t* title = __argc > 1 ? __wargv[1] : L"msaa_fixture";
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = L"PelindraMsaaFixture";
    RegisterClassW(&type);
    const HWND window = CreateWindowExW(0, type.lpszClassName, title, WS_OVERLAPPEDWINDOW, 40, 40, 400, 300,
                                        nullptr, nullptr, instance, nullptr);
    auto fixture = std::make_unique<Fixture>(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fixture.get()));
    ShowWindow(window, SW_SHOW);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    fixture.reset();
    CoUninitialize();
    return 0;
}
